// Operator boxes on POSIX: one block on stderr, flushed at once, never waiting for an answer.
#include <cstdio>

#include "message_box.h"

int ShowPlatformMessageBox(const char* text, const char* caption, unsigned /*flags*/) {
  std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
  std::fflush(stderr);
  return 1;  // IDOK
}
