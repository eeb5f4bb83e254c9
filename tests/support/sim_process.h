// A controller_sim process for one end-to-end test, in a work folder of its own: the station
// file, port file, journal, stderr and exit status live there.
//
// The simulator is a native program, also when the tests run as Windows programs under Wine
// (which starts a Linux program given by its Z:\ path but gives no handle that follows it). So it
// runs under /bin/sh on both targets, which records its process id and, when it ends, its exit
// status in files; waiting polls the status file and killing runs /bin/kill. A process that is
// still running when its SimProcess goes is killed: a failing test never leaves one behind.
#pragma once

#include <string>
#include <vector>

namespace e2e {

// The simulator to start (CONTROLLER_SIM, else the build's), or "" when none is named.
std::string SimulatorPath();
// `path` as the native simulator sees it: without a leading "Z:" and with '/' separators.
std::string SimPath(const std::string& path);
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);

// Starts `argv` (a Linux program and arguments without quotes or blanks) without waiting for it.
// Platform body.
bool Launch(const std::vector<std::string>& argv, std::string* error);

class SimProcess {
 public:
  // `name` names the work folder (use the test's name); it starts empty.
  explicit SimProcess(const std::string& name);
  ~SimProcess() { Kill(); }

  const std::string& dir() const { return dir_; }
  // Starts the simulator with `args` (again, once the last run ended); its stderr goes to
  // dir()/stderr.txt.
  bool Start(const std::vector<std::string>& args, std::string* error);
  // Waits up to `timeout_ms` for the simulator to end: true with its exit status.
  bool Wait(int timeout_ms, int* status) const;
  bool Running() const;
  void Kill();

 private:
  std::string dir_;
  bool started_ = false;
};

}  // namespace e2e
