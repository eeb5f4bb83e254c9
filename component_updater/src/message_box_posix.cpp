// Operator boxes on POSIX: one block on stderr, flushed at once, never waiting for an answer. A box
// that stderr did not take whole (a closed pipe, a full device) is kept in the error log instead,
// so the operator can still read what the run said.
#include <cstdio>
#include <cstring>

#include "errtrace.h"
#include "message_box.h"

int ShowPlatformMessageBox(const char* text, const char* caption, unsigned /*flags*/) {
  const char* shown_caption = caption ? caption : "";
  const char* shown_text = text ? text : "";
  const int written = std::fprintf(stderr, "[%s] %s\n", shown_caption, shown_text);
  const bool flushed = std::fflush(stderr) == 0;
  if (!flushed ||
      written != static_cast<int>(std::strlen(shown_caption) + std::strlen(shown_text) + 4)) {
    std::clearerr(stderr);
    MERRLOG("%s(): the box could not be written to stderr: [%s] %s", "ShowMessageBox",
            shown_caption, shown_text);
  }
  return 1;  // IDOK
}
