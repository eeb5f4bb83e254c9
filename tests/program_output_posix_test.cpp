// The POSIX program writing to a reader that has gone (a pipe whose reading end is closed) or to a
// full device: the run still ends with its own status, and what could not be written whole is in
// the error log. POSIX only: the Windows program has no SIGPIPE, and its help and boxes are
// windows or a console.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "fileio_testing.h"
#include "sim_process.h"

extern char** environ;

namespace {

// Runs the program with `args`; its stream `fd` (1 or 2) goes into a pipe nobody reads (or, not
// `into_pipe`, to /dev/full), the other one to /dev/null. The exit status, or 128 + the signal.
int RunWithBrokenStream(std::vector<std::string> args, int fd, bool into_pipe) {
  int ends[2];
  if (pipe(ends) != 0)
    return -1;
  close(ends[0]);  // the reader has gone before the first write
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (into_pipe)
    posix_spawn_file_actions_adddup2(&actions, ends[1], fd);
  else
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/full", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 3 - fd, "/dev/null", O_WRONLY, 0);
  args.insert(args.begin(), COMPONENT_UPDATER_PATH);
  std::vector<char*> argv;
  for (std::string& arg : args)
    argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[1]);
  int status = 0;
  if (rc != 0 || waitpid(pid, &status, 0) != pid)
    return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(ProgramOutput, WritesThatAGoneReaderOrAFullDeviceRefusesAreLoggedAndTheRunGoesOn) {
  e2e::SimProcess folder("ProgramOutput");  // a fresh folder for the logs and the settings
  fileio_testing::ScopedEnv logs("TEVAR_LOG_DIR", folder.dir().c_str());
  fileio_testing::ScopedEnv settings("TEVAR_CONFIGPATH", folder.dir().c_str());
  const std::string help_lost =
      "DisplayHelp(): write to console failed. Written: 0 attempt to write:1075.";
  const struct {
    std::vector<std::string> args;
    int fd;
    bool into_pipe;
    int status;
    std::string logged;
  } cases[] = {
      {{"-?"}, 1, true, 0, help_lost},
      {{"-?"}, 1, false, 0, help_lost},
      {{"--nosuch"}, 2, true, 1, "ShowMessageBox(): the box could not be written to stderr: ["},
  };
  for (const auto& c : cases) {
    const std::string log = folder.dir() + "/component_updater.errors.log";
    std::remove(log.c_str());
    EXPECT_EQ(RunWithBrokenStream(c.args, c.fd, c.into_pipe), c.status) << c.args[0];
    EXPECT_NE(e2e::ReadFileText(log).find(c.logged), std::string::npos) << c.args[0];
  }
}

}  // namespace
