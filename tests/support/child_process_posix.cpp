// POSIX child processes with posix_spawn. Waiting polls waitpid with WNOHANG: a bounded wait
// without signals or threads, which keeps the test runner's own signal handling untouched.
#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace e2e {

struct ChildProcess::State {
  pid_t pid = 0;
  bool reaped = true;
};

ChildProcess::ChildProcess() : state_(new State) {}

ChildProcess::~ChildProcess() {
  Kill();
}

namespace {

void RedirectTo(posix_spawn_file_actions_t* actions, int fd, const std::string& path) {
  if (!path.empty())
    posix_spawn_file_actions_addopen(actions, fd, path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
}

}  // namespace

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const std::string& stderr_path, std::string* error) {
  return StartProgram(program, args, "", "", stderr_path, error);
}

bool ChildProcess::StartProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::string& /*command_line*/, const std::string& stdout_path,
                                const std::string& stderr_path, std::string* error) {
  std::vector<std::string> argv_text = {program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_text)
    argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  RedirectTo(&actions, 1, stdout_path);
  RedirectTo(&actions, 2, stderr_path);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    *error = "cannot start " + program + ": " + std::strerror(rc);
    return false;
  }
  state_->pid = pid;
  state_->reaped = false;
  return true;
}

bool ChildProcess::Wait(int timeout_ms, int* exit_status) {
  if (state_->reaped)
    return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    int status = 0;
    const pid_t rc = waitpid(state_->pid, &status, WNOHANG);
    if (rc == state_->pid) {
      state_->reaped = true;
      *exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return true;
    }
    if (rc < 0 || std::chrono::steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

bool ChildProcess::Running() {
  int status = 0;
  return !state_->reaped && !Wait(0, &status);
}

void ChildProcess::Kill() {
  if (state_->reaped)
    return;
  kill(state_->pid, SIGKILL);
  int status = 0;
  waitpid(state_->pid, &status, 0);
  state_->reaped = true;
}

long ChildProcess::pid() const {
  return static_cast<long>(state_->pid);
}

}  // namespace e2e
