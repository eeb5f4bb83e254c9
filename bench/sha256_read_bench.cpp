// What checking an update file's SHA-256 adds to reading it: fresh processes read a file of MiB
// mebibytes from the page cache, once plainly and once hashed on the way, rounds alternated.
//
// Sides (each round runs every side once, each in a fresh process of this program):
//   plain   MFastFile_ReadAtOnce(path, &content): the reference, the read the program does today
//   pieces  the observed read with an observer that does nothing: the cost of reading in pieces
//   hashed  digest::ReadFileWithSha256: the observed read with the SHA-256 on a second thread
//   serial  the plain read, then digest::Sha256Hex of the content: hashing without the overlap
// Same memory history on every side: each process starts with an untouched heap and reads into a
// new string of the file's size, which the C library takes as fresh pages from the system (the
// plain read zeroes them all at once and then reads, the observed read zeroes and reads them
// piece by piece), so every side pays the first touch of 512 MiB. The child times the call alone
// (not its start-up) and prints seconds; medians over the rounds are reported.
//
// The same rounds once more into memory the process touched before the call (a string of the
// file's size, zeroed, that the read then reuses): reading then costs little more than the copy
// from the page cache, so this shows the hashed read where the hash, not the first touch of
// memory, is the slower of the two (as on machines whose page faults are cheap).
//
// Then the one-shot throughput of digest::Sha256Hex on memory already touched, beside
// `openssl speed -evp sha256` on 16 KiB blocks, measured in the same run.
//
//   sha256_read_bench [MiB [rounds]]   default 512 MiB, 5 rounds. Linux only.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "background_sha256.h"
#include "fastfile.h"
#include "sha256.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kSides[] = {"plain", "pieces", "hashed", "serial"};
constexpr int kSideCount = 4;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct NoObserver : MFastFileReadObserver {
  void BytesReady(const char*, std::size_t) override {}
  void ReadFailed() override {}
};

// One side in this (fresh) process; prints the seconds of the call, or fails. With `touched`, the
// string has the file's size and has been written before the call.
int RunSide(const std::string& side, const char* path, bool touched) {
  std::string content, hex = "none";
  if (touched)
    content.resize(static_cast<std::size_t>(std::filesystem::file_size(path)));
  NoObserver none;
  const Clock::time_point start = Clock::now();
  int64_t read = -1;
  if (side == "plain" || side == "serial")
    read = MFastFile_ReadAtOnce(path, &content);
  else if (side == "pieces")
    read = MFastFile_ReadAtOnce(path, &content, &none);
  else if (side == "hashed")
    read = digest::ReadFileWithSha256(path, &content, &hex);
  if (side == "serial")
    hex = digest::Sha256Hex(content.data(), content.size());
  const double seconds = SecondsSince(start);
  if (read < 0 || hex.empty())
    return 1;
  std::printf("%.6f %s\n", seconds, hex.c_str());
  return 0;
}

// Runs one side in a fresh process; seconds, or -1. *hex gets the digest it printed.
double Child(const char* side, const std::string& path, bool touched, std::string* hex) {
  const std::string command = "/proc/" + std::to_string(getpid()) + "/exe " +
                              (touched ? "--touched " : "--fresh ") + side + " '" + path + "'";
  FILE* out = popen(command.c_str(), "r");
  char digest[80] = {};
  double seconds = -1;
  if (out == nullptr || std::fscanf(out, "%lf %79s", &seconds, digest) != 2)
    seconds = -1;
  if (out != nullptr && pclose(out) != 0)
    seconds = -1;
  *hex = digest;
  return seconds;
}

std::string WriteFile(const std::string& dir, std::size_t mib) {
  const std::string path = dir + "/update.bin";
  std::ofstream out(path, std::ios::binary);
  std::vector<uint64_t> block((std::size_t{1} << 20) / 8);
  uint64_t x = 0x9E3779B97F4A7C15u;
  for (std::size_t m = 0; m < mib; ++m) {
    for (uint64_t& word : block) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      word = x;
    }
    out.write(reinterpret_cast<const char*>(block.data()), std::streamsize{1} << 20);
  }
  return path;
}

bool ReadRounds(const std::string& path, std::size_t mib, int rounds, bool touched) {
  std::vector<double> seconds[kSideCount];
  std::string digests[kSideCount];
  for (int round = 0; round < rounds; ++round) {
    std::printf("  round %d:", round + 1);
    for (int side = 0; side < kSideCount; ++side) {
      seconds[side].push_back(Child(kSides[side], path, touched, &digests[side]));
      if (seconds[side].back() <= 0)
        return false;
      std::printf(" %s %.0f ms", kSides[side], 1000 * seconds[side].back());
    }
    std::printf("\n");
  }
  if (digests[2] != digests[3])
    return false;  // the overlapped hash must be the serial one
  const double megabytes = (mib << 20) / 1e6, plain = Median(seconds[0]);
  std::printf("%zu MiB from the page cache into %s memory, %d rounds (medians):\n", mib,
              touched ? "touched" : "fresh", rounds);
  for (int side = 0; side < kSideCount; ++side) {
    const double median = Median(seconds[side]);
    std::printf("  %-6s %7.1f ms %7.1f MB/s  %+6.1f%% against plain\n", kSides[side], 1000 * median,
                megabytes / median, 100 * (median / plain - 1));
  }
  return true;
}

// Sha256Hex over `mib` MiB already in memory, median of three, in MB/s.
double OneShotRate(std::size_t mib) {
  const std::string block(mib << 20, 'u');
  std::vector<double> rates;
  for (int i = 0; i < 3; ++i) {
    const Clock::time_point start = Clock::now();
    if (digest::Sha256Hex(block.data(), block.size()).empty())
      return -1;
    rates.push_back(block.size() / SecondsSince(start) / 1e6);
  }
  return Median(rates);
}

// `openssl speed -evp sha256` on 16 KiB blocks in MB/s (its machine-readable line), -1 without it.
double OpensslRate() {
  FILE* out = popen("openssl speed -evp sha256 -bytes 16384 -seconds 3 -mr 2>/dev/null", "r");
  double rate = -1;
  char line[256];
  while (out != nullptr && std::fgets(line, sizeof line, out) != nullptr)
    if (std::strncmp(line, "+F:", 3) == 0)
      rate = std::atof(std::strrchr(line, ':') + 1) / 1e6;
  if (out != nullptr)
    pclose(out);
  return rate;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strncmp(argv[1], "--", 2) == 0)
    return RunSide(argv[2], argv[3], std::strcmp(argv[1], "--touched") == 0);
  const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 512;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::string dir = "/tmp/sha256_read_bench." + std::to_string(getpid());
  mkdir(dir.c_str(), 0755);
  const std::string path = WriteFile(dir, mib);
  const bool ok = ReadRounds(path, mib, rounds, false) && ReadRounds(path, mib, rounds, true);
  const double one_shot = OneShotRate(std::min<std::size_t>(mib, 256));
  const double openssl = OpensslRate();
  std::printf(
      "SHA-256 one-shot on memory in place: Sha256Hex %.1f MB/s, openssl speed %.1f MB/s"
      " (%.0f%%)\n",
      one_shot, openssl, 100 * one_shot / openssl);
  std::remove(path.c_str());
  rmdir(dir.c_str());
  if (!ok)
    std::fprintf(stderr, "a run failed or the digests disagree\n");
  return ok ? 0 : 1;
}
