// Start-up handshake with the simulator: the port file is written once the simulator listens,
// so the test polls for it instead of sleeping for a guessed time.
#include "simulated_controller.h"

#include <chrono>
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
  std::string out = path;
  if (out.size() >= 2 && (out[0] == 'Z' || out[0] == 'z') && out[1] == ':')
    out.erase(0, 2);
  for (char& c : out)
    if (c == '\\')
      c = '/';
  return out;
}

std::string MakeWorkDir(const std::string& name) {
  const std::string dir = std::string(E2E_WORK_DIR) + "/" + name;
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  std::filesystem::create_directories(dir, ignored);
  return dir;
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

SimulatedController::SimulatedController(const std::string& name) : dir_(MakeWorkDir(name)) {}

SimulatedController::~SimulatedController() {
  process_.Kill();
}

bool SimulatedController::Start(const std::string& station,
                                const std::vector<std::string>& extra_args, std::string* error) {
  const std::string program = SimulatorPath();
  if (program.empty()) {
    *error = "no simulator: set CONTROLLER_SIM to the native controller_sim";
    return false;
  }
  WriteFileText(dir_ + "/station.ini", station);
  std::vector<std::string> args = {
      "--station",   SimPath(dir_ + "/station.ini"), "--port",    "0",
      "--port-file", SimPath(dir_ + "/port.txt"),    "--journal", SimPath(dir_ + "/journal.log")};
  args.insert(args.end(), extra_args.begin(), extra_args.end());
  if (!process_.Start(program, args, dir_ + "/stderr.txt", error))
    return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string text = ReadFileText(dir_ + "/port.txt");
    if (!text.empty() && text.back() == '\n') {
      port_ = std::atoi(text.c_str());
      return port_ > 0;
    }
    if (!process_.Running())
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  *error = "the simulator did not report its port: " + StderrText();
  return false;
}

std::vector<std::string> SimulatedController::JournalLines() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadFileText(dir_ + "/journal.log"));
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::vector<std::string> SimulatedController::WaitForJournalLines(std::size_t count) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::vector<std::string> lines = JournalLines();
  while (lines.size() < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    lines = JournalLines();
  }
  return lines;
}

std::string SimulatedController::StderrText() const {
  return ReadFileText(dir_ + "/stderr.txt");
}

}  // namespace e2e
