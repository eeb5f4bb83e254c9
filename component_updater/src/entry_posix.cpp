// The process entry on POSIX: the command line arrives split, so start-up takes it as it is.
#include <csignal>

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
  // Output to a reader that has gone (`component_updater -? | head -1`, a closed stderr pipe)
  // fails the write instead of ending the process unlogged: the help and the boxes check what
  // they wrote, and the run ends with its own status.
  std::signal(SIGPIPE, SIG_IGN);
  return RunProgram(argc, argv, nullptr, nullptr);
}
