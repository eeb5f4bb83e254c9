// Starting a program as a child process from a test, waiting for it with a bound, and ending it.
// child_process_posix.cpp uses posix_spawn and waitpid; child_process_win32.cpp uses
// CreateProcessA, which under Wine also starts a native Linux program given by its Z:\ path.
//
// A ChildProcess that is destroyed while its program still runs kills it: a failing test never
// leaves a simulator behind. Used by one thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace e2e {

class ChildProcess {
 public:
  ChildProcess();
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `program` with `args` (without the program name). The child's standard error goes to
  // the file `stderr_path` when it is not empty, else to the test's own. On failure *error says
  // why.
  bool Start(const std::string& program, const std::vector<std::string>& args,
             const std::string& stderr_path, std::string* error);

  // Starts one of the project's own programs the way an operator's shell would: on Windows with
  // `command_line` as its command-line text, as it stands; on POSIX with `args`, the same text
  // already split. Standard output and error go to the two files (created or truncated). The
  // child inherits this process's environment and current folder.
  bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::string& command_line, const std::string& stdout_path,
                    const std::string& stderr_path, std::string* error);

  // Waits up to `timeout_ms` for the child to end. True with its exit status when it ended.
  bool Wait(int timeout_ms, int* exit_status);

  // True while the child has not ended (and has not been waited for).
  bool Running();

  // Ends the child at once, if it still runs, and reaps it.
  void Kill();

  // The child's process id, for /proc; 0 when none was started.
  long pid() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace e2e
