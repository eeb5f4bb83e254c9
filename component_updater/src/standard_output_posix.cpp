// The standard output on POSIX: stdout, flushed, with what arrived counted.
#include <cstdio>

#include "standard_output.h"

bool WriteStandardOutput(const std::string& text) {
  const std::size_t written = std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 && written == text.size();
}
