// The cost of a platform update that finds nothing to do: a fresh process of the real program
// runs the platform update over 50 machines of 10 firmware components each (main entry and
// sats 1 to 9), all already at the version of their update files, against the simulated
// controller. Beside it, in the same rounds, a reference process of the same program connects
// to the same simulator with a description that holds only the connection: it connects, reads
// the machine name and the component map, and disconnects.
//
// Both sides are the same binary started the same way (same environment, same current folder,
// a settings file and an application-data folder reset to the same content before every run,
// the same text table), so they go through the same start-up, the same allocations before the
// update and the same one-second shutdown wait; each run is a fresh process, so neither inherits
// a warmed heap from the other, and the rounds alternate the sides so that page cache and load
// affect both alike. What differs is the platform update alone.
//
// Reports, per round and as medians, each side's wall time beyond the prescribed 1 s shutdown
// wait and the difference. Target: the platform run under 100 ms beyond the wait. Linux only.
//
//   platform_update_bench [rounds]   default 7
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

const int kMachines = 50;
const int kComponentsPerMachine = 10;
const double kShutdownWaitMs = 1000.0;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The station: machine N has "mN.firmware.config" and "mN.sat1..9.firmware.config", each at 2.0.
std::string Station() {
  std::string components, options, values;
  for (int m = 1; m <= kMachines; ++m) {
    const std::string machine = "m" + std::to_string(m);
    options += std::to_string(m) + ": '" + machine + "': on = 1\n";
    for (int c = 0; c < kComponentsPerMachine; ++c) {
      const std::string name =
          machine + (c == 0 ? "" : ".sat" + std::to_string(c)) + ".firmware.config";
      components += name + " = 2.0\n";
      values += name + " = " + (c == 0 ? "main-fw" : "sat-fw") + "\n";
    }
  }
  return "[machine]\nname = Bench 500\n[components]\n" + components + "[options]\n" + options +
         "[values]\n" + values;
}

std::string Connection(int port) {
  return "[connection]\ntype = tcpip\nhost = 127.0.0.1\nport = " + std::to_string(port) + "\n";
}

struct Process {
  pid_t pid = 0;
};

bool Spawn(const std::vector<std::string>& arguments, const std::string& folder, Process* process) {
  std::vector<std::string> args = arguments;
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(&a[0]);
  argv.push_back(nullptr);
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  const int error = posix_spawn(&process->pid, argv[0], nullptr, nullptr, argv.data(), environ);
  fs::current_path(previous);
  return error == 0;
}

int StartSimulator(const std::string& dir, Process* sim) {
  WriteText(dir + "/station.ini", Station());
  if (!Spawn({CONTROLLER_SIM_PATH, "--station", dir + "/station.ini", "--port", "0", "--port-file",
              dir + "/port", "--journal", dir + "/journal"},
             dir, sim))
    return 0;
  for (int i = 0; i < 1000; ++i) {
    const std::string text = ReadText(dir + "/port");
    if (!text.empty() && text.back() == '\n')
      return std::atoi(text.c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}

// One side: its work folder with the description, and an application-data folder that is reset
// to the same settings file before every run.
struct Side {
  std::string name;
  std::string work;
  std::string appdata;
};

Side MakeSide(const std::string& dir, const std::string& name, const std::string& description) {
  Side side{name, dir + "/" + name, dir + "/" + name + "/appdata"};
  fs::create_directories(side.work);
  WriteText(side.work + "/component_updates.ini", description);
  WriteText(side.work + "/fw_2.0_main.bin", std::string(4096, 'M'));
  WriteText(side.work + "/sat_2.0_x.s19", std::string(4096, 'S'));
  fs::copy_file(CU_SOURCE_DIR "/component_updater/src/component_updater.loc",
                side.work + "/component_updater.loc", fs::copy_options::overwrite_existing);
  return side;
}

// Runs the program once on `side`; wall milliseconds, or -1 when it failed.
double RunOnce(const Side& side) {
  fs::remove_all(side.appdata);
  fs::create_directories(side.appdata + "/Tevar/Quorvex");
  WriteText(side.appdata + "/Tevar/Quorvex/component_updater.ini", "[common]\nmtrace_level=3\n");
  setenv("TEVAR_CONFIGPATH", side.appdata.c_str(), 1);
  Process program;
  const auto start = Clock::now();
  if (!Spawn({COMPONENT_UPDATER_PATH, "--silent"}, side.work, &program))
    return -1;
  int status = -1;
  waitpid(program.pid, &status, 0);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ms : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

size_t CountLines(const std::string& text, const std::string& start) {
  size_t count = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    count += line.rfind(start, 0) == 0 ? 1 : 0;
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 7;
  const std::string dir = "/tmp/platform_update_bench." + std::to_string(getpid());
  fs::create_directories(dir);
  Process sim;
  const int port = StartSimulator(dir, &sim);
  if (rounds < 1 || port == 0) {
    std::fprintf(stderr, "cannot start %s\n", CONTROLLER_SIM_PATH);
    return 1;
  }
  const std::string sections = "[main-fw]\nfile=fw_2.0_main.bin\n[sat-fw]\nfile=sat_2.0_x.s19\n";
  const Side reference = MakeSide(dir, "reference", Connection(port));
  const Side platform =
      MakeSide(dir, "platform", Connection(port) + "[general]\nauto_update = 1\n" + sections);
  unsetenv("TEVAR_LOG_DIR");
  std::printf("%d machines x %d components, all up to date; %d rounds\n", kMachines,
              kComponentsPerMachine, rounds);
  std::vector<double> beyond_reference, beyond_platform, differences;
  bool ok = true;
  for (int round = 1; round <= rounds; ++round) {
    const double r = RunOnce(reference);
    const double p = RunOnce(platform);
    ok = ok && r > 0 && p > 0;
    beyond_reference.push_back(r - kShutdownWaitMs);
    beyond_platform.push_back(p - kShutdownWaitMs);
    differences.push_back(p - r);
    std::printf(
        "round %d: reference %7.1f ms, platform update %7.1f ms beyond the 1 s wait "
        "(difference %6.1f ms)\n",
        round, r - kShutdownWaitMs, p - kShutdownWaitMs, p - r);
  }
  kill(sim.pid, SIGTERM);
  waitpid(sim.pid, nullptr, 0);
  // Every platform run asks each component twice (group check, then identifier) and sends
  // nothing.
  const std::string journal = ReadText(dir + "/journal");
  const size_t receives = CountLines(journal, "RECEIVE\t");
  const size_t expected = 2u * kMachines * kComponentsPerMachine * rounds;
  const size_t sends = CountLines(journal, "SEND");
  ok = ok && receives == expected && sends == 0;
  const double median = Median(beyond_platform);
  std::printf(
      "median beyond the 1 s wait: reference %.1f ms, platform update %.1f ms "
      "(difference %.1f ms); target under 100 ms: %s\n",
      Median(beyond_reference), median, Median(differences), median < 100.0 ? "met" : "missed");
  std::printf("journal: %zu receives (expected %zu), %zu sends (expected 0)%s\n", receives,
              expected, sends, ok ? "" : "  FAILED");
  fs::remove_all(dir);
  return ok ? 0 : 1;
}
