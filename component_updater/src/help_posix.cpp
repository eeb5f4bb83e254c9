// The help on POSIX: stdout stands in for the parent's console. What counts as written is what the
// system took: printf counts bytes that are only buffered and may never arrive (a full device, a
// reader that has gone), so the text is written with write() after stdio's buffer is flushed.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "errtrace.h"
#include "help.h"

namespace {

// Writes `text` to `fd`; the bytes written before the first failure, or all of them.
std::size_t WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      break;
    done += static_cast<std::size_t>(written);
  }
  return done;
}

}  // namespace

void DisplayHelp() {
  std::fflush(stdout);  // anything printed before goes first
  const int written =
      static_cast<int>(WriteAll(STDOUT_FILENO, "\n" + std::string(kHelpText) + "\n"));
  const int length = static_cast<int>(std::strlen(kHelpText));
  if (written != length + 2)
    MERRLOG("%s(): write to console failed. Written: %d attempt to write:%d.", "DisplayHelp",
            written, length);
}
