// Win32 body: CreateProcessA with the command-line text as it stands and inheritable handles for
// the two output files.
#include <windows.h>

#include "program_process.h"

namespace e2e {
namespace {

std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/')
    path = "Z:" + path;
  for (char& c : path)
    c = c == '/' ? '\\' : c;
  return path;
}

HANDLE CreateOutputFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileA(WindowsPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

struct ProgramProcess::State {
  HANDLE process = nullptr;
};

ProgramProcess::ProgramProcess() : state_(new State) {}

ProgramProcess::~ProgramProcess() {
  Kill();
}

bool ProgramProcess::Start(const std::string& program, const std::vector<std::string>& /*args*/,
                           const std::string& command_line, const std::string& stdout_path,
                           const std::string& stderr_path, std::string* error) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = CreateOutputFile(stdout_path);
  startup.hStdError = CreateOutputFile(stderr_path);
  std::string command = command_line;
  PROCESS_INFORMATION info = {};
  const bool started = CreateProcessA(WindowsPath(program).c_str(), &command[0], nullptr, nullptr,
                                      TRUE, 0, nullptr, nullptr, &startup, &info);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (!started) {
    *error = "cannot start " + program + ": error " + std::to_string(GetLastError());
    return false;
  }
  CloseHandle(info.hThread);
  state_->process = info.hProcess;
  return true;
}

bool ProgramProcess::Wait(int timeout_ms, int* status) {
  if (state_->process == nullptr ||
      WaitForSingleObject(state_->process, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0)
    return false;
  DWORD code = 0;
  GetExitCodeProcess(state_->process, &code);
  *status = static_cast<int>(code);
  CloseHandle(state_->process);
  state_->process = nullptr;
  return true;
}

void ProgramProcess::Kill() {
  if (state_->process == nullptr)
    return;
  TerminateProcess(state_->process, 1);
  WaitForSingleObject(state_->process, 5000);
  CloseHandle(state_->process);
  state_->process = nullptr;
}

}  // namespace e2e
