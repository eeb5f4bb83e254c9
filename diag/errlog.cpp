// The error log: entries are written at once, at the location the same thread gave last.
#include <cstdarg>
#include <string>

#include "log_writer.h"
#include "merrlog.h"

namespace {

struct Location {
  const char* file = "";
  int line = 0;
};

thread_local Location pending;

}  // namespace

void _MErrLog_Location(int, const char* file, int line) {
  pending.file = file != nullptr ? file : "";
  pending.line = line;
}

void _MErrLog_Add(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = diag::FormatV(format, args);
  va_end(args);
  diag::WriteRecord({diag::Kind::kErrorLog, pending.file, pending.line, 0, text});
}
