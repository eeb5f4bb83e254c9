// The summary formatter of the error context.
#include <cstdarg>
#include <cstdio>

#include "errtrace.h"

namespace {

// One buffer for all callers; only the update engine's main thread dumps through it.
char summary_buffer[256];
const int kSummaryLimit = 255;

}  // namespace

void MErrTraceContext::DumpToMErrLog(int line, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int needed = std::vsnprintf(summary_buffer, kSummaryLimit, format, args);
  va_end(args);
  // vsnprintf with room for 255 bytes keeps at most 254 characters and a NUL; a text of 255 or
  // more characters therefore did not fit.
  if (needed < 0 || needed >= kSummaryLimit) {
    MERRLOG("MErrTraceContext::DumpToMErrLog(): output string too long !");
    if (needed >= kSummaryLimit) {
      va_start(args, format);
      std::vsnprintf(summary_buffer, sizeof summary_buffer, format, args);
      va_end(args);
    } else {
      summary_buffer[0] = '\0';
    }
  }
  summary_buffer[kSummaryLimit] = '\0';
  _MErrTrace_Location(0, file_, line);
  _MErrTrace_DumpContextToMErrLog("%s", summary_buffer);
}
