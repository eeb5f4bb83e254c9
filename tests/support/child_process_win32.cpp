// Win32 child processes with CreateProcessA.
//
// A program given by a Linux path ("/...") is a native program that this test, running under
// Wine, starts through its Z:\ path. Wine runs it, but the process handle it returns does not
// follow the Linux process: it is signalled at once and cannot terminate it. Such a program is
// therefore started under /bin/sh, which records the Linux process id and, when the program ends,
// its exit status in files beside the stderr file; waiting polls the status file and killing runs
// /bin/kill. Windows programs are handled with their process handle as usual.
#include "child_process.h"
#include "simulated_controller.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace e2e {
namespace {

std::string WindowsPath(const std::string& path) {
  std::string out = (!path.empty() && path[0] == '/') ? "Z:" + path : path;
  for (char& c : out)
    if (c == '/')
      c = '\\';
  return out;
}

// Quotes one argument for the command-line splitting of the C runtime (and of Wine).
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

bool ReadSmallFile(const std::string& path, std::string* text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return false;
  char buffer[64] = {};
  const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, file);
  std::fclose(file);
  text->assign(buffer, n);
  return true;
}

// An inheritable handle for writing `path` (created or truncated), or INVALID_HANDLE_VALUE.
HANDLE CreateOutputFile(const std::string& path) {
  if (path.empty())
    return INVALID_HANDLE_VALUE;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileA(WindowsPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Starts `exe` with `command`; *process gets the handle (closed by the caller). `out` and `err`
// replace the standard output and error when valid.
bool Launch(const std::string& exe, std::string command, HANDLE err, HANDLE* process, DWORD* pid,
            std::string* error, HANDLE out = INVALID_HANDLE_VALUE) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (err != INVALID_HANDLE_VALUE || out != INVALID_HANDLE_VALUE) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out != INVALID_HANDLE_VALUE ? out : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = err != INVALID_HANDLE_VALUE ? err : GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &info)) {
    *error = "cannot start " + exe + ": error " + std::to_string(GetLastError());
    return false;
  }
  CloseHandle(info.hThread);
  *process = info.hProcess;
  *pid = info.dwProcessId;
  return true;
}

}  // namespace

struct ChildProcess::State {
  HANDLE process = nullptr;  // a Windows program
  DWORD pid = 0;
  std::string status_file;  // a native program: its exit status appears here
  std::string pid_file;     // ... and its Linux process id here
  bool native_running = false;
};

ChildProcess::ChildProcess() : state_(new State) {}

ChildProcess::~ChildProcess() {
  Kill();
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const std::string& stderr_path, std::string* error) {
  if (!program.empty() && program[0] == '/') {
    if (stderr_path.empty()) {
      *error = "a native program needs a stderr file beside which its status is kept";
      return false;
    }
    const std::string err = SimPath(stderr_path);
    state_->pid_file = stderr_path + ".pid";
    state_->status_file = stderr_path + ".status";
    std::remove(state_->pid_file.c_str());
    std::remove(state_->status_file.c_str());
    const std::string script = "\"$0\" \"$@\" 2>'" + err + "' & echo $! >'" + err +
                               ".pid'; exec 2>/dev/null; wait $!; echo $? >'" + err +
                               ".status.tmp'; mv '" + err + ".status.tmp' '" + err + ".status'";
    std::string command = Quote("/bin/sh") + " -c " + Quote(script) + " " + Quote(program);
    for (const std::string& arg : args)
      command += " " + Quote(arg);
    HANDLE process = nullptr;
    if (!Launch(WindowsPath("/bin/sh"), command, INVALID_HANDLE_VALUE, &process, &state_->pid,
                error))
      return false;
    CloseHandle(process);  // does not follow the Linux process
    state_->native_running = true;
    return true;
  }
  std::string command = Quote(WindowsPath(program));
  for (const std::string& arg : args)
    command += " " + Quote(arg);
  return StartProgram(program, args, command, "", stderr_path, error);
}

bool ChildProcess::StartProgram(const std::string& program,
                                const std::vector<std::string>& /*args*/,
                                const std::string& command_line, const std::string& stdout_path,
                                const std::string& stderr_path, std::string* error) {
  HANDLE out = CreateOutputFile(stdout_path);
  HANDLE err = CreateOutputFile(stderr_path);
  const bool ok =
      Launch(WindowsPath(program), command_line, err, &state_->process, &state_->pid, error, out);
  for (HANDLE handle : {out, err})
    if (handle != INVALID_HANDLE_VALUE)
      CloseHandle(handle);
  return ok;
}

bool ChildProcess::Wait(int timeout_ms, int* exit_status) {
  if (state_->native_running) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      std::string text;
      if (ReadSmallFile(state_->status_file, &text) && !text.empty()) {
        state_->native_running = false;
        *exit_status = std::atoi(text.c_str());
        return true;
      }
      if (std::chrono::steady_clock::now() >= deadline)
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
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
  return (state_->native_running || state_->process != nullptr) && !Wait(0, &status);
}

void ChildProcess::Kill() {
  int status = 0;
  if (state_->native_running) {
    std::string pid;
    // The pid file may lag the start by a moment.
    for (int i = 0; i < 200 && !(ReadSmallFile(state_->pid_file, &pid) && !pid.empty()); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    HANDLE killer = nullptr;
    DWORD killer_pid = 0;
    std::string error;
    const std::string command = "\"Z:\\bin\\kill\" -9 " + std::to_string(std::atol(pid.c_str()));
    if (!pid.empty() && Launch(WindowsPath("/bin/kill"), command, INVALID_HANDLE_VALUE, &killer,
                               &killer_pid, &error))
      CloseHandle(killer);
    if (!Wait(5000, &status))
      state_->native_running = false;  // give up; nothing else to do
    return;
  }
  if (state_->process == nullptr)
    return;
  TerminateProcess(state_->process, 1);
  WaitForSingleObject(state_->process, 5000);
  CloseHandle(state_->process);
  state_->process = nullptr;
}

long ChildProcess::pid() const {
  std::string text;
  if (!state_->pid_file.empty() && ReadSmallFile(state_->pid_file, &text))
    return std::atol(text.c_str());
  return static_cast<long>(state_->pid);
}

}  // namespace e2e
