// The POSIX program writing to a reader that has gone or to a full device: the run ends with its
// own status, and what could not be written whole is in the error log. (The Windows program has
// no SIGPIPE; its help and boxes are windows or a console.)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <sstream>

#include "fileio_testing.h"
#include "sim_process.h"

extern char** environ;

namespace {

// Runs the program with `arg`, its stream `fd` going into a pipe whose reader has gone (or, not
// `into_pipe`, to /dev/full): the exit status, or 128 + the signal that ended the program.
int RunWithBrokenStream(std::string arg, int fd, bool into_pipe) {
  int ends[2];
  if (pipe(ends) != 0)
    return -1;
  close(ends[0]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (into_pipe)
    posix_spawn_file_actions_adddup2(&actions, ends[1], fd);
  else
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/full", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(COMPONENT_UPDATER_PATH), &arg[0], nullptr};
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0)
    waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[1]);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(ProgramOutput, WritesThatAGoneReaderOrAFullDeviceRefusesAreLoggedAndTheRunGoesOn) {
  e2e::SimProcess folder("ProgramOutput");  // a fresh folder for the logs and the settings
  fileio_testing::ScopedEnv logs("TEVAR_LOG_DIR", folder.dir().c_str());
  fileio_testing::ScopedEnv settings("TEVAR_CONFIGPATH", folder.dir().c_str());
  EXPECT_EQ(RunWithBrokenStream("-?", 1, true), 0);
  EXPECT_EQ(RunWithBrokenStream("-?", 1, false), 0);
  EXPECT_EQ(RunWithBrokenStream("--nosuch", 2, true), 1);  // its two boxes
  std::istringstream log(e2e::ReadFileText(folder.dir() + "/component_updater.errors.log"));
  int help = 0, boxes = 0;
  for (std::string line; std::getline(log, line);) {
    help +=
        line.find("] DisplayHelp(): write to console failed. Written: 0 attempt to write:1075.") !=
        std::string::npos;
    boxes += line.find("] ShowMessageBox(): the box could not be written to stderr: [") !=
             std::string::npos;
  }
  EXPECT_EQ(help, 2);
  EXPECT_EQ(boxes, 2);
}

}  // namespace
