// Environment expansion with ExpandEnvironmentStrings. Most texts fit the local buffer; a longer
// result is expanded a second time into a heap buffer of the size the first call asked for.
#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "errtrace.h"
#include "menvironment.h"
#include "os_error.h"

namespace {

// The size handed to the first call stays two below the buffer's, so that the terminator of a
// text of exactly that size always fits.
constexpr DWORD kLocalChars = 4094;

}  // namespace

bool MReplaceEnvironmentVars(std::string& text) {
  char buffer[kLocalChars + 2];
  const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), buffer, kLocalChars);
  if (needed == 0) {
    const std::string reason = ErrnoText(static_cast<int>(GetLastError()));
    MERRTRACE("MReplaceEnvironmentVars(): ExpandEnvironmentStrings() failed: %s", reason.c_str());
    return false;
  }
  if (needed <= kLocalChars) {
    text = buffer;
    return true;
  }
  char* large = static_cast<char*>(malloc(needed + 2));
  if (large == nullptr) {
    const std::string reason = ErrnoText(errno);
    MERRTRACE("MReplaceEnvironmentVars(): malloc() failed: %s", reason.c_str());
    return false;
  }
  const DWORD again = ExpandEnvironmentStringsA(text.c_str(), large, needed);
  const bool ok = again != 0 && again <= needed;
  if (ok) {
    text = large;
  } else {
    const std::string reason = ErrnoText(static_cast<int>(GetLastError()));
    MERRTRACE("MReplaceEnvironmentVars(): ExpandEnvironmentStrings() failed again: %s",
              reason.c_str());
  }
  free(large);
  return ok;
}
