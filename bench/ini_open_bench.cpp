// Throughput and peak memory of MIniData::Open on a large update description, beside two
// references measured in the same run: SimpleIni (CSimpleIniA::LoadFile) and inih (ini_parse into
// nested std::maps).
//
// The document (50,000 sections of 20 entries with comments and blank lines, CR LF, ~60 MB) is
// generated into a temporary folder. Each parser runs in a fresh child process (this program
// started again with "--child NAME FILE"), so that its peak resident memory (VmHWM) is its own.
// A child loads the file several times, keeps the best time, then sweeps every value by name,
// and prints one result line that the parent collects through a pipe.

// Like MIniData, SimpleIni is to take the bytes as they are: no code-page conversion.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION  // this file is the one translation unit that holds its bodies
#include <SimpleIni.h>
#include <ini.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "MIniData_template_core.h"

namespace {

constexpr int kSections = 50000;
constexpr int kEntries = 20;
constexpr int kLoads = 3;

using Clock = std::chrono::steady_clock;
using InihMaps = std::map<std::string, std::map<std::string, std::string>>;

std::string SectionName(int s) {
  char name[32];
  std::snprintf(name, sizeof name, "component_%05d", s);
  return name;
}

std::string EntryName(int e) {
  static const char* const kKinds[] = {"firmware_file", "bsp_version", "duration", "identifier"};
  return std::string(kKinds[e % 4]) + "_" + std::to_string(e);
}

// Writes the update description and returns its size in bytes.
size_t WriteDocument(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "; Update description of a large station\r\n; generated for the benchmark\r\n\r\n";
  std::string block;
  for (int s = 0; s < kSections; ++s) {
    block = "[" + SectionName(s) + "]\r\n; component " + std::to_string(s) +
            " of the station, firmware and board-support modules\r\n";
    for (int e = 0; e < kEntries; ++e) {
      block += EntryName(e) + " = " + std::to_string(s * 31 + e) + " ; fw\\" + SectionName(s) +
               ".bin\r\n";
      if (e == kEntries / 2)
        block +=
            "  # second half: board-support modules, checked against the controller's response\r\n";
    }
    block += "; end of " + SectionName(s) + "\r\n\r\n";
    out << block;
  }
  out.close();
  return static_cast<size_t>(std::filesystem::file_size(path));
}

long PeakKilobytes() {
  FILE* status = std::fopen("/proc/self/status", "r");
  long kb = -1;
  char line[256];
  while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr)
    if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1)
      break;
  if (status != nullptr)
    std::fclose(status);
  return kb;
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

struct Result {
  double load_seconds = 1e9;  // best of kLoads
  double sweep_seconds = 0;
  long found = 0;
};

// ---- The three parsers: each loads, then looks every value up by section and entry name ----

Result RunMIniData(const std::string& path) {
  Result result;
  for (int i = 0; i < kLoads; ++i) {
    MIniData doc;
    const Clock::time_point start = Clock::now();
    if (!doc.Open(path.c_str()) || !doc.IsClean())
      return Result();
    result.load_seconds = std::min(result.load_seconds, Seconds(start));
    if (i + 1 < kLoads)
      continue;
    const Clock::time_point sweep = Clock::now();
    long value = 0;
    for (int s = 0; s < kSections; ++s)
      for (int e = 0; e < kEntries; ++e)
        result.found += doc.GetLongEntry(SectionName(s).c_str(), EntryName(e).c_str(), &value);
    result.sweep_seconds = Seconds(sweep);
  }
  return result;
}

Result RunSimpleIni(const std::string& path) {
  Result result;
  for (int i = 0; i < kLoads; ++i) {
    CSimpleIniA ini;
    const Clock::time_point start = Clock::now();
    if (ini.LoadFile(path.c_str()) < 0)
      return Result();
    result.load_seconds = std::min(result.load_seconds, Seconds(start));
    if (i + 1 < kLoads)
      continue;
    const Clock::time_point sweep = Clock::now();
    for (int s = 0; s < kSections; ++s)
      for (int e = 0; e < kEntries; ++e)
        result.found += ini.GetValue(SectionName(s).c_str(), EntryName(e).c_str()) != nullptr;
    result.sweep_seconds = Seconds(sweep);
  }
  return result;
}

int InihHandler(void* user, const char* section, const char* name, const char* value) {
  (*static_cast<InihMaps*>(user))[section][name] = value;
  return 1;
}

Result RunInih(const std::string& path) {
  Result result;
  for (int i = 0; i < kLoads; ++i) {
    InihMaps maps;
    const Clock::time_point start = Clock::now();
    if (ini_parse(path.c_str(), InihHandler, &maps) != 0)
      return Result();
    result.load_seconds = std::min(result.load_seconds, Seconds(start));
    if (i + 1 < kLoads)
      continue;
    const Clock::time_point sweep = Clock::now();
    for (int s = 0; s < kSections; ++s) {
      auto section = maps.find(SectionName(s));
      for (int e = 0; e < kEntries && section != maps.end(); ++e)
        result.found += section->second.count(EntryName(e));
    }
    result.sweep_seconds = Seconds(sweep);
  }
  return result;
}

// ---- Child and parent ----

int RunChild(const std::string& parser, const std::string& path) {
  const long baseline_kb = PeakKilobytes();
  Result result;
  if (parser == "MIniData")
    result = RunMIniData(path);
  else if (parser == "SimpleIni")
    result = RunSimpleIni(path);
  else
    result = RunInih(path);
  std::printf("%.6f %.6f %ld %ld %ld\n", result.load_seconds, result.sweep_seconds, result.found,
              baseline_kb, PeakKilobytes());
  return result.found == 0 ? 1 : 0;
}

struct Measured {
  std::string parser;
  Result result;
  long baseline_kb = 0;
  long peak_kb = 0;
};

bool Measure(const std::string& self, const std::string& parser, const std::string& path,
             Measured* out) {
  const std::string command = "'" + self + "' --child " + parser + " '" + path + "'";
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr)
    return false;
  out->parser = parser;
  const int fields =
      std::fscanf(child, "%lf %lf %ld %ld %ld", &out->result.load_seconds,
                  &out->result.sweep_seconds, &out->result.found, &out->baseline_kb, &out->peak_kb);
  return pclose(child) == 0 && fields == 5;
}

void Report(const std::vector<Measured>& all, size_t file_bytes) {
  const double mb = static_cast<double>(file_bytes) / 1e6;
  std::printf("document: %d sections x %d entries, %.1f MB\n\n", kSections, kEntries, mb);
  std::printf("%-10s %9s %10s %12s %10s %11s %13s\n", "parser", "load ms", "MB/s", "lookups/s",
              "peak MB", "peak/file", "MB/s vs ours");
  const double ours = mb / all.front().result.load_seconds;
  for (const Measured& m : all) {
    const double rate = mb / m.result.load_seconds;
    const double peak_mb = static_cast<double>(m.peak_kb) * 1024 / 1e6;
    std::printf("%-10s %9.1f %10.1f %12.3g %10.1f %11.2f %13.2f\n", m.parser.c_str(),
                m.result.load_seconds * 1e3, rate,
                static_cast<double>(m.result.found) / m.result.sweep_seconds, peak_mb, peak_mb / mb,
                ours / rate);
  }
  const Measured& mine = all.front();
  const bool fast = mine.result.load_seconds <= all[1].result.load_seconds &&
                    mine.result.load_seconds <= all[2].result.load_seconds;
  const bool small = static_cast<double>(mine.peak_kb) * 1024 < 3.0 * file_bytes;
  std::printf("\nMIniData::Open at least as fast as both references: %s\n", fast ? "yes" : "NO");
  std::printf("MIniData peak memory below 3 x file size: %s (%.2f x, baseline %.1f MB)\n",
              small ? "yes" : "NO", static_cast<double>(mine.peak_kb) * 1024 / file_bytes,
              static_cast<double>(mine.baseline_kb) * 1024 / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
    return RunChild(argv[2], argv[3]);

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("cu_ini_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "component_updates.ini").string();
  const size_t bytes = WriteDocument(path);
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();

  std::vector<Measured> all(3);
  const char* const parsers[] = {"MIniData", "SimpleIni", "inih"};
  bool ok = true;
  for (int i = 0; i < 3; ++i)
    if (!Measure(self, parsers[i], path, &all[i])) {
      std::fprintf(stderr, "%s: the child failed\n", parsers[i]);
      ok = false;
    }
  if (ok)
    Report(all, bytes);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return ok ? 0 : 1;
}
