// The help on POSIX: stdout stands in for the parent's console.
#include <cstdio>
#include <cstring>

#include "errtrace.h"
#include "help.h"

void DisplayHelp() {
  const int written = std::printf("\n%s\n", kHelpText);
  std::fflush(stdout);
  const int length = static_cast<int>(std::strlen(kHelpText));
  if (written != length + 2)
    MERRLOG("%s(): write to console failed. Written: %d attempt to write:%d.", "DisplayHelp",
            written, length);
}
