// Starting, waiting for and killing the simulator through /bin/sh and the files it writes.
#include "sim_process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

std::string SimulatorPath() {
  const char* env = std::getenv("CONTROLLER_SIM");
#ifdef CONTROLLER_SIM_PATH
  return env != nullptr && *env != '\0' ? env : CONTROLLER_SIM_PATH;
#else
  return env != nullptr ? env : "";
#endif
}

std::string SimPath(const std::string& path) {
  std::string out = path.compare(0, 2, "Z:") == 0 ? path.substr(2) : path;
  for (char& c : out)
    c = c == '\\' ? '/' : c;
  return out;
}

std::string ReadFileText(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

void WriteFileText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

SimProcess::SimProcess(const std::string& name) : dir_(std::string(E2E_WORK_DIR) + "/" + name) {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
  std::filesystem::create_directories(dir_, ignored);
}

// The arguments go through a script file, so no command line needs more than plain quotes.
bool SimProcess::Start(const std::vector<std::string>& args, std::string* error) {
  Kill();  // one that is still running would lose its pid file below, and outlive the test
  std::remove((dir_ + "/status").c_str());
  std::remove((dir_ + "/pid").c_str());
  std::string command = "'" + SimulatorPath() + "'";
  for (const std::string& arg : args)
    command += " '" + arg + "'";
  const std::string dir = SimPath(dir_);
  WriteFileText(dir_ + "/run.sh", "exec </dev/null >/dev/null 2>&1\n" + command + " 2>'" + dir +
                                      "/stderr.txt' &\necho $! >'" + dir +
                                      "/pid'\nwait $!\necho $? >'" + dir + "/status.tmp'\nmv '" +
                                      dir + "/status.tmp' '" + dir + "/status'\n");
  started_ = Launch({"/bin/sh", dir + "/run.sh"}, error);
  return started_;
}

bool SimProcess::Wait(int timeout_ms, int* status) const {
  for (int waited = 0;; waited += 10) {
    const std::string text = ReadFileText(dir_ + "/status");
    if (!text.empty()) {
      *status = std::atoi(text.c_str());
      return true;
    }
    if (!started_ || waited >= timeout_ms)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

bool SimProcess::Running() const {
  int status = 0;
  return started_ && !Wait(0, &status);
}

void SimProcess::Kill() {
  int status = 0;
  std::string pid, error;
  // The pid file may lag the start by a moment.
  for (int i = 0; i < 200 && Running() && (pid = ReadFileText(dir_ + "/pid")).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (Running() && !pid.empty() &&
      Launch({"/bin/kill", "-9", std::to_string(std::atol(pid.c_str()))}, &error))
    Wait(5000, &status);
  started_ = false;
}

}  // namespace e2e
