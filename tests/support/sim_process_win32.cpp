// Win32 body of Launch: CreateProcessA on the Linux program's Z:\ path, which Wine runs natively.
#include <windows.h>

#include "sim_process.h"

namespace e2e {

bool Launch(const std::vector<std::string>& argv, std::string* error) {
  std::string exe = "Z:" + argv[0], command;
  for (char& c : exe)
    c = c == '/' ? '\\' : c;
  for (const std::string& arg : argv)
    command += (command.empty() ? "\"" : " \"") + arg + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    *error = "cannot start " + exe + ": error " + std::to_string(GetLastError());
    return false;
  }
  // The handles do not follow the Linux process: the files /bin/sh writes do.
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

}  // namespace e2e
