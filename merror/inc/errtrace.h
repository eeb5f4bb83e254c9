// The diagnostics vocabulary of the program, and MErrTraceContext.
//
//   MTRACE(n, fmt, ...)     trace at level n on channel "default"
//   MERRTRACE(fmt, ...)     error-trace entry in the innermost context
//   MERRLOG(fmt, ...)       error-log entry, written at once
//   MERRDUMP(fmt, ...)      dump the innermost error context with a summary
//
// Each records the caller's source file and line first, then writes.
#pragma once

#include "merrlog.h"
#include "merrtrace.h"
#include "mtrace.h"

#define MTRACE(level, ...)                                                     \
  do {                                                                         \
    const int mtrace_level_ = (level);                                         \
    if ((mtrace_level_ <= 0 || _MTrace_TestLevel("default", mtrace_level_)) && \
        _MTrace_Location(__FILE__, __LINE__, "default", mtrace_level_))        \
      _MTrace_Always(__VA_ARGS__);                                             \
  } while (0)

#define MERRTRACE(...)                          \
  do {                                          \
    _MErrTrace_Location(0, __FILE__, __LINE__); \
    _MErrTrace_Add(__VA_ARGS__);                \
  } while (0)

#define MERRLOG(...)                          \
  do {                                        \
    _MErrLog_Location(0, __FILE__, __LINE__); \
    _MErrLog_Add(__VA_ARGS__);                \
  } while (0)

#define MERRDUMP(...)                             \
  do {                                            \
    _MErrTrace_Location(0, __FILE__, __LINE__);   \
    _MErrTrace_DumpContextToMErrLog(__VA_ARGS__); \
  } while (0)

// Holds one source location and dumps the error context with a summary of at most 255
// characters. The summary buffer is static and shared: only the update engine's main thread
// uses it.
class MErrTraceContext {
 public:
  explicit MErrTraceContext(const char* file, int line = 0) : file_(file), line_(line) {}

  // Formats the summary (cut to 255 characters, with an error-log entry when it had to be cut)
  // and dumps the innermost error context with it at this context's file and `line`.
  void DumpToMErrLog(int line, const char* format, ...) M_PRINTF_FORMAT(3, 4);

  const char* file() const { return file_; }
  int line() const { return line_; }

 private:
  const char* file_;
  int line_;
};

// An error context for the rest of the scope: Begin now, End on every path out.
class MErrTraceScope {
 public:
  MErrTraceScope() { MErrTrace_BeginContext(); }
  ~MErrTraceScope() { MErrTrace_EndContext(); }
  MErrTraceScope(const MErrTraceScope&) = delete;
  MErrTraceScope& operator=(const MErrTraceScope&) = delete;
};
