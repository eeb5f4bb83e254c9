// The process entry on Windows: splits the command-line text itself and hands over to start-up.
#include <windows.h>

#include <string>

#include "command_line.h"
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR command_line, int /*show*/) {
  // The splitter writes terminators into the text: it works on a copy, and the framework still
  // gets the full command line.
  std::string text = command_line != nullptr ? command_line : "";
  CommandLine split;
  split.Tokenize(&text[0]);
  return RunProgram(split.argc(), split.argv(), instance, command_line);
}
