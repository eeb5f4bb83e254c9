// A controller_sim process for one end-to-end test, with a work folder of its own. The simulator
// is a native program also under Wine, which starts it by its Z:\ path but gives no handle that
// follows it; so on both targets it runs under /bin/sh, which records its process id and exit
// status in files. A SimProcess that goes kills its simulator: no test leaves one behind.
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

// Starts `argv` (a Linux program, no blanks or quotes) without waiting. Platform body.
bool Launch(const std::vector<std::string>& argv, std::string* error);

class SimProcess {
 public:
  // `name` names the work folder (use the test's name); it starts empty.
  explicit SimProcess(const std::string& name);
  ~SimProcess() { Kill(); }

  const std::string& dir() const { return dir_; }
  // Starts the simulator, after killing one this object started that still runs; its stderr
  // goes to dir()/stderr.txt.
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
