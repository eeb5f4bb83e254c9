// A controller_sim process for one end-to-end test: writes the station file into a work folder
// of its own, starts the simulator on a free port, waits for its port file, and reads its journal.
//
// The simulator is a native program. When the tests run as Windows programs under Wine, paths in
// this process carry the Z: drive while the simulator needs the Linux form; SimPath converts.
// The simulator's path comes from the CONTROLLER_SIM environment variable, else from the build
// (CONTROLLER_SIM_PATH).
#pragma once

#include <string>
#include <vector>

#include "child_process.h"

namespace e2e {

// The simulator to start, or "" when neither the environment nor the build names one.
std::string SimulatorPath();

// `path` as the native simulator must see it: without a leading "Z:" and with '/' separators.
std::string SimPath(const std::string& path);

// A fresh, empty folder for the named test below the build's end-to-end work folder.
std::string MakeWorkDir(const std::string& name);

std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);

class SimulatedController {
 public:
  // `name` names the work folder (use the test's name).
  explicit SimulatedController(const std::string& name);
  ~SimulatedController();

  // Writes `station` as the station file and starts the simulator with --port 0, the port file,
  // the journal and `extra_args`. Waits up to 20 s for the port. False with *error otherwise.
  bool Start(const std::string& station, const std::vector<std::string>& extra_args,
             std::string* error);

  int port() const { return port_; }
  std::string port_text() const { return std::to_string(port_); }
  const std::string& dir() const { return dir_; }

  // The journal's lines so far (without their "\n").
  std::vector<std::string> JournalLines() const;
  // Waits until the journal has at least `count` lines (up to 10 s) and returns them. The
  // simulator writes a connection's last lines after the client has already gone.
  std::vector<std::string> WaitForJournalLines(std::size_t count) const;
  // What the simulator wrote to its standard error.
  std::string StderrText() const;

  ChildProcess& process() { return process_; }

 private:
  std::string dir_;
  int port_ = 0;
  ChildProcess process_;
};

}  // namespace e2e
