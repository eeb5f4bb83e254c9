// POSIX body: posix_spawn, and a bounded wait that polls waitpid (no signals, no threads).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "program_process.h"

extern char** environ;

namespace e2e {

struct ProgramProcess::State {
  pid_t pid = 0;
};

ProgramProcess::ProgramProcess() : state_(new State) {}

ProgramProcess::~ProgramProcess() {
  Kill();
}

bool ProgramProcess::Start(const std::string& program, const std::vector<std::string>& args,
                           const std::string& /*command_line*/, const std::string& stdout_path,
                           const std::string& stderr_path, std::string* error) {
  std::vector<std::string> texts = {program};
  texts.insert(texts.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& text : texts)
    argv.push_back(&text[0]);
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  const int rc =
      posix_spawn(&state_->pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    state_->pid = 0;
    *error = "cannot start " + program + ": " + std::strerror(rc);
  }
  return rc == 0;
}

bool ProgramProcess::Wait(int timeout_ms, int* status) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (state_->pid != 0) {
    int raw = 0;
    if (waitpid(state_->pid, &raw, WNOHANG) == state_->pid) {
      state_->pid = 0;
      *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void ProgramProcess::Kill() {
  if (state_->pid == 0)
    return;
  kill(state_->pid, SIGKILL);
  waitpid(state_->pid, nullptr, 0);
  state_->pid = 0;
}

}  // namespace e2e
