#include "crashlog.h"

#include "diag_platform.h"

void CrashLogDLL::InitCrashLogger() {
  diag::InstallCrashHandlers();
}

CrashLogDLL::~CrashLogDLL() {
  diag::RemoveCrashHandlers();
}
