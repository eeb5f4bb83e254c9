// The files behind the trace and the error log. One mutex serialises every write, so lines from
// the main, busy and tray threads never interleave; each line is flushed as it is written so a
// crash or a kill loses nothing already logged.
#include "log_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "diag_platform.h"

namespace diag {
namespace {

const char kTraceFileName[] = "component_updater.trace.log";
const char kErrorFileName[] = "component_updater.errors.log";

struct LogState {
  std::mutex mutex;
  Sink* sink = nullptr;
  std::string configured_folder;
  std::string open_folder;  // the folder the two FILEs below were opened in
  std::FILE* trace = nullptr;
  std::FILE* errors = nullptr;
};

LogState& State() {
  static LogState* state = new LogState;  // never destroyed: static destructors may still log
  return *state;
}

std::string LogFolder(const LogState& state) {
  const char* env = std::getenv("TEVAR_LOG_DIR");
  if (env != nullptr && *env != '\0')
    return env;
  return state.configured_folder;
}

std::string JoinPath(const std::string& folder, const char* name) {
  if (folder.empty())
    return "";
  char last = folder.back();
  return (last == '/' || last == '\\') ? folder + name : folder + "/" + name;
}

void CloseFiles(LogState& state) {
  if (state.trace != nullptr)
    std::fclose(state.trace);
  if (state.errors != nullptr)
    std::fclose(state.errors);
  state.trace = state.errors = nullptr;
  state.open_folder.clear();
}

// The stream for the record's file; stderr when no folder is known or the file cannot be opened.
std::FILE* StreamFor(LogState& state, Kind kind) {
  std::string folder = LogFolder(state);
  if (folder != state.open_folder) {
    CloseFiles(state);
    if (!folder.empty()) {
      state.trace = std::fopen(JoinPath(folder, kTraceFileName).c_str(), "ab");
      state.errors = std::fopen(JoinPath(folder, kErrorFileName).c_str(), "ab");
      state.open_folder = folder;
    }
  }
  std::FILE* f = kind == Kind::kTrace ? state.trace : state.errors;
  return f != nullptr ? f : stderr;
}

const char* Tag(Kind kind) {
  switch (kind) {
    case Kind::kTrace:
      return "TRACE";
    case Kind::kErrorLog:
      return "ERROR";
    case Kind::kDumpEntry:
      return "CONTEXT";
    case Kind::kDumpSummary:
      return "DUMP";
    case Kind::kCrash:
      return "CRASH";
  }
  return "?";
}

std::string FormatLine(const Record& r) {
  std::string tag = Tag(r.kind);
  if (r.kind == Kind::kTrace)
    tag = "default/" + std::to_string(r.level);
  char head[160];
  std::snprintf(head, sizeof head, "%s %llu:%llu ", LocalTimestamp().c_str(),
                static_cast<unsigned long long>(CurrentProcessId()),
                static_cast<unsigned long long>(CurrentThreadId()));
  return head + r.file + ":" + std::to_string(r.line) + " [" + tag + "] " + r.text + "\n";
}

}  // namespace

std::string FormatV(const char* format, va_list args) {
  char small[512];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0)
    return std::string("(unformattable message: ") + format + ")";
  if (static_cast<size_t>(n) < sizeof small)
    return std::string(small, n);
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, args);
  return std::string(big.data(), n);
}

void WriteRecord(const Record& record) {
  LogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.sink != nullptr) {
    state.sink->Write(record);
    return;
  }
  std::string line = FormatLine(record);
  std::FILE* f = StreamFor(state, record.kind);
  std::fwrite(line.data(), 1, line.size(), f);
  std::fflush(f);
}

void ReportCrash(const char* text) {
  LogState& state = State();
  // No lock: the crashing thread may hold it. A torn line beats no line.
  std::FILE* f = state.errors != nullptr ? state.errors : stderr;
  std::fputs("[CRASH] ", f);
  std::fputs(text, f);
  std::fputc('\n', f);
  std::fflush(f);
}

void SetSink(Sink* sink) {
  LogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.sink = sink;
}

void SetLogDirectory(const std::string& folder) {
  LogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.configured_folder = folder;
}

std::string LogFilePath(Kind kind) {
  LogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return JoinPath(LogFolder(state), kind == Kind::kTrace ? kTraceFileName : kErrorFileName);
}

}  // namespace diag
