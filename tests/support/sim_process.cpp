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
  if (env != nullptr && *env != '\0')
    return env;
#ifdef CONTROLLER_SIM_PATH
  return CONTROLLER_SIM_PATH;
#else
  return "";
#endif
}

std::string SimPath(const std::string& path) {
  std::string out = path.compare(0, 2, "Z:") == 0 ? path.substr(2) : path;
  for (char& c : out)
    if (c == '\\')
      c = '/';
  return out;
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
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

bool SimProcess::Start(const std::vector<std::string>& args, std::string* error) {
  const std::string program = SimulatorPath();
  if (program.empty()) {
    *error = "no simulator: set CONTROLLER_SIM to the native controller_sim";
    return false;
  }
  std::remove((dir_ + "/status").c_str());
  std::remove((dir_ + "/pid").c_str());
  const std::string dir = SimPath(dir_);
  std::vector<std::string> argv = {"/bin/sh", "-c",
                                   "exec </dev/null >/dev/null 2>&1; \"$0\" \"$@\" 2>'" + dir +
                                       "/stderr.txt' & echo $! >'" + dir +
                                       "/pid'; wait $!; echo $? >'" + dir + "/status.tmp'; mv '" +
                                       dir + "/status.tmp' '" + dir + "/status'",
                                   program};
  argv.insert(argv.end(), args.begin(), args.end());
  started_ = Launch(argv, error);
  return started_;
}

bool SimProcess::Wait(int timeout_ms, int* status) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const std::string text = ReadFileText(dir_ + "/status");
    if (!text.empty()) {
      *status = std::atoi(text.c_str());
      return true;
    }
    if (!started_ || std::chrono::steady_clock::now() >= deadline)
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
