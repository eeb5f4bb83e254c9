// The little the diagnostics need from the operating system.
#pragma once

#include <cstdint>
#include <string>

namespace diag {

uint64_t CurrentProcessId();
uint64_t CurrentThreadId();
// Local wall-clock time as "YYYY-MM-DD hh:mm:ss.mmm".
std::string LocalTimestamp();
// Installs the crash handlers that call ReportCrash; RemoveCrashHandlers restores the old ones.
void InstallCrashHandlers();
void RemoveCrashHandlers();

}  // namespace diag
