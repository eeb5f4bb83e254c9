// Where the diagnostics stand-in writes, and how tests watch it.
//
// Records go to two files in the log folder: "component_updater.trace.log" (traces) and
// "component_updater.errors.log" (error-log entries and dumped contexts). The folder is
// TEVAR_LOG_DIR when set, else the one given to SetLogDirectory; with neither, records go to
// stderr. Each line is: timestamp, process and thread id, source location, a tag, the message.
// All functions are thread-safe.
#pragma once

#include <string>
#include <vector>

namespace diag {

enum class Kind {
  kTrace,        // a trace message
  kErrorLog,     // an error-log entry
  kDumpEntry,    // one entry of a dumped error context
  kDumpSummary,  // the summary that ends a dump
  kCrash,        // the crash logger's last word
};

struct Record {
  Kind kind;
  std::string file;  // source file of the call, as the build names it
  int line;
  int level;         // trace level; 0 for the other kinds
  std::string text;  // the message exactly as formatted
};

// Receives every record instead of the files while installed.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void Write(const Record& record) = 0;
};

// Installs `sink` (not owned; must outlive its installation), or restores the files with nullptr.
void SetSink(Sink* sink);

// The folder for the log files when TEVAR_LOG_DIR is not set. Start-up calls it once it knows the
// product's application-data folder.
void SetLogDirectory(const std::string& folder);

// The texts of the entries in the calling thread's innermost error context, oldest first.
std::vector<std::string> CurrentContextEntries();

// The full path of the log file for `kind`'s records, or "" when they go to stderr.
std::string LogFilePath(Kind kind);

}  // namespace diag
