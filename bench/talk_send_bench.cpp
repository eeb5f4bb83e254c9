// Throughput of a large transfer (one Send) through the talk library to the simulated controller,
// beside the physical limit of this machine's loopback measured in the same run: the same bytes
// pushed through a plain TCP connection by a minimal sender and receiver.
//
// Reports MB/s of both, their ratio, and the peak memory (VmHWM) of the client process and of the
// simulator (read from /proc before it exits). Targets: at least 70% of the loopback's throughput;
// client peak below 2.2 times the payload. Linux only (/proc, posix_spawn).
//
//   talk_send_bench [MiB [rounds]]   payload size, default 512; rounds, default 3
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <algorithm>
#include <thread>
#include <vector>

#include "TevarTalkCOM.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Peak resident memory of a process in KiB, from /proc/<pid>/status; -1 when unknown.
long PeakKiB(const std::string& pid) {
  std::ifstream in("/proc/" + pid + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmHWM:", 0) == 0)
      return std::atol(line.c_str() + 6);
  return -1;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The reference receiver, a process of its own as the simulator is: accepts one connection,
// reads until the sender closes, and exits with 0 when exactly `expected` bytes arrived.
[[noreturn]] void DrainOne(int listener, std::size_t expected) {
  const int fd = accept(listener, nullptr, nullptr);
  std::vector<char> buffer(1u << 20);
  std::size_t received = 0;
  for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;)
    received += n;
  _exit(received == expected ? 0 : 1);
}

// Pushes `data` through a plain loopback TCP connection; returns MB/s (10^6 bytes per second).
double MeasureLoopback(const std::string& data) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return -1;
  const pid_t receiver = fork();
  if (receiver == 0)
    DrainOne(listener, data.size());
  close(listener);
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    return -1;
  const auto start = Clock::now();
  const std::size_t kChunk = 4u << 20;  // the talk library's chunk size
  for (std::size_t pos = 0; pos < data.size();) {
    const ssize_t n = write(fd, data.data() + pos, std::min(kChunk, data.size() - pos));
    if (n <= 0)
      break;
    pos += static_cast<std::size_t>(n);
  }
  close(fd);
  int status = 1;
  waitpid(receiver, &status, 0);
  const double seconds = Seconds(start);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? data.size() / seconds / 1e6 : -1;
}

struct Simulator {
  pid_t pid = 0;
  int port = 0;
  std::string dir;
};

bool StartSimulator(Simulator* sim) {
  sim->dir = "/tmp/talk_send_bench." + std::to_string(getpid());
  if (std::system(("mkdir -p " + sim->dir).c_str()) != 0)
    return false;
  std::ofstream(sim->dir + "/station.ini") << "[machine]\nname = Bench\n[components]\nipo = 1\n";
  std::remove((sim->dir + "/port").c_str());
  std::remove((sim->dir + "/journal").c_str());
  std::vector<std::string> args = {
      CONTROLLER_SIM_PATH, "--station", sim->dir + "/station.ini", "--port", "0", "--port-file",
      sim->dir + "/port",  "--journal", sim->dir + "/journal"};
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(&a[0]);
  argv.push_back(nullptr);
  if (posix_spawn(&sim->pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    return false;
  for (int i = 0; i < 1000 && sim->port == 0; ++i) {
    const std::string text = ReadText(sim->dir + "/port");
    if (!text.empty() && text.back() == '\n')
      sim->port = std::atoi(text.c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return sim->port > 0;
}

// Sends `payload` (moved into the library, as the update run hands over a file's content) and
// returns MB/s; *sim_peak_kib gets the simulator's peak memory while it still runs.
double MeasureTalkSend(std::string payload, const Simulator& sim, long* sim_peak_kib) {
  const double megabytes = payload.size() / 1e6;
  const std::string connection = "127.0.0.1 " + std::to_string(sim.port);
  CTevarTalkCOM talk(nullptr, nullptr, connection.c_str(), nullptr);
  talk.postConnectFlag = true;
  if (talk.connectionState < 0)
    return -1;
  const auto start = Clock::now();
  try {
    talk.Send("ipo", std::move(payload));
  } catch (const CTevarTalkError& e) {
    std::fprintf(stderr, "Send failed: %s\n", e.message.c_str());
    return -1;
  }
  const double seconds = Seconds(start);
  *sim_peak_kib = PeakKiB(std::to_string(sim.pid));
  return megabytes / seconds;
}

std::string MakePayload(std::size_t size) {
  std::string payload(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    payload[i] = static_cast<char>((i * 2654435761u) >> 13);
  return payload;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

// Rounds alternate the reference and the talk transfer, so that both see the same load of a
// shared machine; the median ratio is the figure to compare with the target.
int main(int argc, char** argv) {
  const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 512;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::size_t size = mib << 20;
  Simulator sim;
  if (rounds < 1 || !StartSimulator(&sim)) {
    std::fprintf(stderr, "cannot start %s\n", CONTROLLER_SIM_PATH);
    return 1;
  }
  std::printf("payload %zu MiB, %d rounds\n", mib, rounds);
  std::vector<double> ratios;
  long sim_peak = -1;
  bool ok = true;
  for (int round = 1; round <= rounds; ++round) {
    std::string payload = MakePayload(size);
    const double loopback = MeasureLoopback(payload);
    // Moved in: the library streams it and frees it, as the update run hands over a file.
    const double talk = MeasureTalkSend(std::move(payload), sim, &sim_peak);
    ok = ok && loopback > 0 && talk > 0;
    ratios.push_back(talk / loopback);
    std::printf(
        "round %d: loopback TCP reference %8.1f MB/s, talk Send to simulator %8.1f MB/s"
        " (%.0f%%)\n",
        round, loopback, talk, 100.0 * talk / loopback);
  }
  kill(sim.pid, SIGTERM);
  int status = 0;
  waitpid(sim.pid, &status, 0);
  const long client_peak = PeakKiB("self");
  const std::string journal = ReadText(sim.dir + "/journal");
  std::size_t sends = 0;
  const std::string line = "SEND\tipo\t" + std::to_string(size) + "\t";
  for (std::size_t pos = 0; (pos = journal.find(line, pos)) != std::string::npos; ++pos)
    ++sends;

  std::printf("median throughput ratio  %.0f%% of the loopback reference (target >= 70%%)\n",
              100.0 * Median(ratios));
  std::printf("client peak memory       %ld KiB = %.2fx the payload (target < 2.2x)\n", client_peak,
              client_peak / (size / 1024.0));
  std::printf("simulator peak memory    %ld KiB\n", sim_peak);
  std::printf("simulator journal        %zu of %d transfers of %zu bytes recorded\n", sends, rounds,
              size);
  if (std::system(("rm -rf " + sim.dir).c_str()) != 0)
    std::fprintf(stderr, "%s left behind\n", sim.dir.c_str());
  return ok && sends == static_cast<std::size_t>(rounds) ? 0 : 1;
}
