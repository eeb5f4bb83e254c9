// What an operator meets when the program runs: fresh processes of component_updater against the
// simulated controller, each beside a reference process measured in the same run.
//
// 1. An update description of 200 components that are all up to date: the program's wall time
//    beyond the prescribed 1-second shutdown wait, beside a process that only connects to the
//    simulator and disconnects (reference_client connect). Target: under 50 ms beyond the wait.
// 2. One component whose file of MiB mebibytes is sent: the time from the process start to the
//    simulator's journal line of the completed transfer (so the progress dialog's fixed waits
//    after the send and the shutdown wait are outside), beside reference_client send, which reads
//    the same file into fresh memory the same way and writes the protocol's frames with plain
//    socket writes. Target: at least 95 % of the reference's throughput; the program's peak
//    memory under 1.25 times the file plus 50 MB.
// 3. The same update with a "sha256" entry for the file, beside the update without it: what
//    checking the file costs. Target: at most 25 % more time.
//
// Both sides of each figure are fresh processes that read the file from the page cache into
// newly allocated memory (a buffer of the file's size, filled, then read into), so the first
// touch of that memory costs both the same. Rounds alternate the two sides; medians are reported.
//
//   update_run_bench [MiB [rounds]]     default 512 MiB, 3 rounds (5 for the up-to-date run)
//
// Linux only.
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

pid_t Spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args)
    argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

struct Outcome {
  double seconds = -1;  // start to end, or start to the journaled transfer
  long peak_kib = -1;   // the process's peak resident memory
  int status = -1;
};

// Runs `args` to its end. With `journal` given, the time taken is until a new SEND line appears
// in it (polled every half millisecond), else until the process ends.
Outcome Run(const std::vector<std::string>& args, const std::string& journal = "") {
  const std::size_t journal_before = journal.empty() ? 0 : ReadText(journal).size();
  Outcome outcome;
  const Clock::time_point start = Clock::now();
  const pid_t pid = Spawn(args);
  if (pid < 0)
    return outcome;
  while (!journal.empty()) {
    const std::string text = ReadText(journal);
    const std::size_t line = text.find("SEND", journal_before);
    if (line != std::string::npos && text.find('\n', line) != std::string::npos) {
      outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
      break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (journal.empty())
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  outcome.peak_kib = usage.ru_maxrss;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

struct Bench {
  std::string dir;
  pid_t simulator = -1;
  std::string port;
};

bool StartSimulator(Bench* bench, int components) {
  std::ofstream station(bench->dir + "/station.ini");
  station << "[machine]\nname = Bench\n[components]\nbench = 1.0\n";
  for (int i = 0; i < components; ++i)
    station << "c" << i << ".firmware = 1.0." << i << "\n";
  station.close();
  bench->simulator =
      Spawn({CONTROLLER_SIM_PATH, "--station", bench->dir + "/station.ini", "--port", "0",
             "--port-file", bench->dir + "/port", "--journal", bench->dir + "/journal"});
  for (int i = 0; i < 1000 && bench->port.empty(); ++i) {
    const std::string text = ReadText(bench->dir + "/port");
    if (!text.empty() && text.back() == '\n')
      bench->port = text.substr(0, text.size() - 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return !bench->port.empty();
}

std::vector<std::string> Program(const Bench& bench, const std::string& description) {
  return {COMPONENT_UPDATER_PATH,
          "--dir",
          bench.dir,
          "--file",
          description,
          "--host",
          "127.0.0.1",
          "--port",
          bench.port,
          "--silent"};
}

bool UpToDateRun(const Bench& bench, int components, int rounds) {
  std::ofstream description(bench.dir + "/up_to_date.ini");
  description << "[connection]\ntype = tcpip\nhost = 127.0.0.1\nport = 1\n";
  for (int i = 0; i < components; ++i)
    description << "[c" << i << ".firmware]\nversion = 1.0." << i << "\nfile = c" << i << ".bin\n";
  description.close();
  std::vector<double> program, reference;
  for (int round = 0; round < rounds; ++round) {
    const Outcome ref = Run({REFERENCE_CLIENT_PATH, "connect", bench.port});
    const Outcome run = Run(Program(bench, "up_to_date.ini"));
    if (ref.status != 0 || run.status != 0)
      return false;
    reference.push_back(ref.seconds);
    program.push_back(run.seconds - 1.0);
  }
  std::printf("%d components up to date, %d rounds (medians):\n", components, rounds);
  std::printf("  program beyond the 1-second shutdown wait  %6.1f ms (target < 50 ms)\n",
              1000 * Median(program));
  std::printf("  connect-only reference process             %6.1f ms\n", 1000 * Median(reference));
  return true;
}

std::string WritePayload(const Bench& bench, std::size_t mib) {
  const std::string payload = bench.dir + "/payload.bin";
  std::ofstream out(payload, std::ios::binary);
  std::vector<char> block(1 << 20);
  for (std::size_t m = 0; m < mib; ++m) {
    for (std::size_t i = 0; i < block.size(); ++i)
      block[i] = static_cast<char>(((m << 20) + i) * 2654435761u >> 13);
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  return payload;
}

bool SendRun(const Bench& bench, const std::string& payload, std::size_t mib, int rounds) {
  std::ofstream(bench.dir + "/send.ini") << "[connection]\ntype = tcpip\nhost = 127.0.0.1\n"
                                         << "[bench]\nversion = 2.0\nfile = payload.bin\n";
  const double megabytes = (mib << 20) / 1e6;
  const std::string journal = bench.dir + "/journal";
  std::vector<double> ratios, program_rates, reference_rates;
  long peak = 0;
  for (int round = 0; round < rounds; ++round) {
    const Outcome ref = Run({REFERENCE_CLIENT_PATH, "send", bench.port, "bench", payload}, journal);
    const Outcome run = Run(Program(bench, "send.ini"), journal);
    if (ref.status != 0 || run.status != 0 || ref.seconds <= 0 || run.seconds <= 0)
      return false;
    reference_rates.push_back(megabytes / ref.seconds);
    program_rates.push_back(megabytes / run.seconds);
    ratios.push_back(ref.seconds / run.seconds);
    peak = std::max(peak, run.peak_kib);
    std::printf("  round %d: reference %7.1f MB/s, program %7.1f MB/s (%.0f%%)\n", round + 1,
                reference_rates.back(), program_rates.back(), 100 * ratios.back());
  }
  const double file_mb = (mib << 20) / 1e6;
  std::printf(
      "%zu MiB sent, %d rounds (medians), from the process start to the journaled transfer:\n", mib,
      rounds);
  std::printf("  program %.1f MB/s, reference %.1f MB/s: %.0f%% (target >= 95%%)\n",
              Median(program_rates), Median(reference_rates), 100 * Median(ratios));
  std::printf("  program peak memory %.1f MB for a %.1f MB file (target < %.1f MB = 1.25 x + 50)\n",
              peak * 1024 / 1e6, file_mb, 1.25 * file_mb + 50);
  return true;
}

// The SHA-256 of a file as the system's sha256sum prints it.
std::string Sha256Sum(const std::string& path) {
  std::string line(64, '\0');
  FILE* pipe = popen(("sha256sum '" + path + "'").c_str(), "r");
  const bool read = pipe != nullptr && std::fread(&line[0], 1, line.size(), pipe) == line.size();
  if (pipe != nullptr)
    pclose(pipe);
  return read ? line : std::string();
}

// The same per-component update with and without a "sha256" entry for its file, rounds
// alternated: both sides are fresh processes of the program reading the same page-cached file
// into fresh memory, so what differs is only the hashing (beside the read) and the check.
bool ChecksumRun(const Bench& bench, const std::string& payload, std::size_t mib, int rounds) {
  const std::string digest = Sha256Sum(payload);
  if (digest.empty())
    return false;
  std::ofstream(bench.dir + "/checked.ini") << "[connection]\ntype = tcpip\nhost = 127.0.0.1\n"
                                            << "[bench]\nversion = 2.0\nfile = payload.bin\n"
                                            << "sha256 = " << digest << "\n";
  const std::string journal = bench.dir + "/journal";
  std::vector<double> plain, checked;
  for (int round = 0; round < rounds; ++round) {
    const Outcome without = Run(Program(bench, "send.ini"), journal);
    const Outcome with = Run(Program(bench, "checked.ini"), journal);
    if (without.status != 0 || with.status != 0 || without.seconds <= 0 || with.seconds <= 0)
      return false;
    plain.push_back(without.seconds);
    checked.push_back(with.seconds);
    std::printf("  round %d: without %.3f s, with the checksum %.3f s (%+.0f%%)\n", round + 1,
                without.seconds, with.seconds, 100 * (with.seconds / without.seconds - 1));
  }
  std::printf("%zu MiB update with its sha256 checked, %d rounds (medians), start to transfer:\n",
              mib, rounds);
  std::printf("  without %.3f s, with %.3f s: %+.0f%% (target <= +25%%)\n", Median(plain),
              Median(checked), 100 * (Median(checked) / Median(plain) - 1));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 512;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  Bench bench;
  bench.dir = "/tmp/update_run_bench." + std::to_string(getpid());
  mkdir(bench.dir.c_str(), 0755);
  // The program runs in the bench folder: its text table is there, its settings and logs below.
  std::ofstream(bench.dir + "/component_updater.loc") << ReadText(TEXT_TABLE_PATH);
  setenv("TEVAR_CONFIGPATH", (bench.dir + "/appdata").c_str(), 1);
  setenv("TEVAR_LOG_DIR", bench.dir.c_str(), 1);
  if (chdir(bench.dir.c_str()) != 0 || !StartSimulator(&bench, 200)) {
    std::fprintf(stderr, "cannot start %s in %s\n", CONTROLLER_SIM_PATH, bench.dir.c_str());
    return 1;
  }
  const std::string payload = WritePayload(bench, mib);
  const bool ok = UpToDateRun(bench, 200, std::max(rounds, 5)) &&
                  SendRun(bench, payload, mib, rounds) &&
                  ChecksumRun(bench, payload, mib, std::max(rounds, 5));
  kill(bench.simulator, SIGTERM);
  waitpid(bench.simulator, nullptr, 0);
  if (std::system(("rm -rf " + bench.dir).c_str()) != 0)
    std::fprintf(stderr, "%s left behind\n", bench.dir.c_str());
  if (!ok)
    std::fprintf(stderr, "a run failed\n");
  return ok ? 0 : 1;
}
