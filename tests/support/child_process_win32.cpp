// Win32 child processes with CreateProcessA. The program path may be a Linux path (the native
// simulator, when this test runs under Wine): it is turned into its Z:\ form, which Wine maps to
// the Linux root and runs as a native program.
#include "child_process.h"

#include <windows.h>

namespace e2e {
namespace {

std::string WindowsPath(const std::string& path) {
  std::string out = (!path.empty() && path[0] == '/') ? "Z:" + path : path;
  for (char& c : out)
    if (c == '/')
      c = '\\';
  return out;
}

// Quotes one argument for the C runtime's command-line splitting.
std::string Quote(const std::string& arg) {
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

}  // namespace

struct ChildProcess::State {
  HANDLE process = nullptr;
  DWORD pid = 0;
};

ChildProcess::ChildProcess() : state_(new State) {}

ChildProcess::~ChildProcess() {
  Kill();
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const std::string& stderr_path, std::string* error) {
  const std::string exe = WindowsPath(program);
  std::string command = Quote(exe);
  for (const std::string& arg : args)
    command += " " + Quote(arg);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE err = INVALID_HANDLE_VALUE;
  if (!stderr_path.empty())
    err = CreateFileA(WindowsPath(stderr_path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (err != INVALID_HANDLE_VALUE) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = err;
  }
  PROCESS_INFORMATION info = {};
  const BOOL ok = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                 nullptr, &startup, &info);
  const DWORD code = GetLastError();
  if (err != INVALID_HANDLE_VALUE)
    CloseHandle(err);
  if (!ok) {
    *error = "cannot start " + exe + ": error " + std::to_string(code);
    return false;
  }
  CloseHandle(info.hThread);
  state_->process = info.hProcess;
  state_->pid = info.dwProcessId;
  return true;
}

bool ChildProcess::Wait(int timeout_ms, int* exit_status) {
  if (state_->process == nullptr)
    return false;
  if (WaitForSingleObject(state_->process, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0)
    return false;
  DWORD code = 0;
  GetExitCodeProcess(state_->process, &code);
  *exit_status = static_cast<int>(code);
  CloseHandle(state_->process);
  state_->process = nullptr;
  return true;
}

bool ChildProcess::Running() {
  int status = 0;
  return state_->process != nullptr && !Wait(0, &status);
}

void ChildProcess::Kill() {
  if (state_->process == nullptr)
    return;
  TerminateProcess(state_->process, 1);
  WaitForSingleObject(state_->process, 5000);
  CloseHandle(state_->process);
  state_->process = nullptr;
}

long ChildProcess::pid() const {
  return static_cast<long>(state_->pid);
}

}  // namespace e2e
