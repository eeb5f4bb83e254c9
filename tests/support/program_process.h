// One run of the program under test (component_updater, or component_updater.exe under Wine) as
// an operator's shell would start it: in the caller's current folder and environment, with its
// standard output and error in files, waited for with a bound. A ProgramProcess that goes kills
// a program still running.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace e2e {

class ProgramProcess {
 public:
  ProgramProcess();
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  // Starts `program`: on POSIX with `args`; on Windows with the command-line text `command_line`
  // as it stands (the program splits it itself). The output files are created or truncated.
  bool Start(const std::string& program, const std::vector<std::string>& args,
             const std::string& command_line, const std::string& stdout_path,
             const std::string& stderr_path, std::string* error);
  // Waits up to `timeout_ms`: true with the exit status once the program ended.
  bool Wait(int timeout_ms, int* status);
  void Kill();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace e2e
