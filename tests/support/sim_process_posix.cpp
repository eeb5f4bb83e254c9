// POSIX body of Launch: posix_spawn, and children that ended before are reaped on the way.
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>

#include "sim_process.h"

extern char** environ;

namespace e2e {

bool Launch(const std::vector<std::string>& argv, std::string* error) {
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
  std::vector<std::string> text = argv;
  std::vector<char*> args;
  for (std::string& arg : text)
    args.push_back(&arg[0]);
  args.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ);
  if (rc != 0)
    *error = "cannot start " + argv[0] + ": " + std::strerror(rc);
  return rc == 0;
}

}  // namespace e2e
