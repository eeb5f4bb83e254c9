// The process entry on POSIX: the command line arrives split, so start-up takes it as it is.
#include "application.h"
#include "crashlog.h"
#include "startup.h"

namespace {

// Static initialisation: the crash logger first (released last at exit), then the application
// object.
[[maybe_unused]] const bool g_crash_logger_installed = (CrashLogDLL::InitCrashLogger(), true);
CrashLogDLL g_crash_logger;
CNWinApp theApp;

}  // namespace

int main(int argc, char** argv) {
  return RunProgram(argc, argv, nullptr, nullptr);
}
