// createDirectoryRecursive and dir_exists. The full path is split into components, "." and
// ".." are resolved from the end (so "a\b\..\c" never creates b), and the chain is rebuilt
// from the front, creating what is missing. The OS calls are in mdirtools_win32.cpp /
// mdirtools_posix.cpp.
#include "mdirtools.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "errtrace.h"
#include "fileops.h"
#include "mstring_tools.h"
#include "os_error.h"

namespace {

constexpr char kFunction[] = "tevar::createDirectoryRecursive";

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

// `path` made absolute against the current directory.
bool FullPathOf(const char* path, std::string* full) {
  if (file_is_absolute(path)) {
    *full = path;
    return true;
  }
  char cwd[kMaxWorkingDir];
  if (dir_getwd(cwd) == nullptr) {
    MERRTRACE("%s(): dir_getwd() failed", kFunction);
    return false;
  }
  *full = std::string(cwd) + kPathSeparator + path;
  return true;
}

// The leading separators of a path without a drive: one for the root, two for a network share.
// Splitting drops them, so they are put back in front of the rebuilt chain.
std::string RootOf(const std::string& full) {
  size_t n = 0;
  while (n < full.size() && n < 2 && IsSeparator(full[n]))
    ++n;
  return std::string(n, kPathSeparator);
}

// Resolves "." and ".." from the last component to the first. False when more ".." remain
// than there are names above them.
bool ResolveDots(std::vector<std::string>* parts) {
  std::vector<std::string> kept;
  int pending = 0;
  for (auto it = parts->rbegin(); it != parts->rend(); ++it) {
    if (*it == ".")
      continue;
    if (*it == "..") {
      ++pending;
    } else if (pending > 0) {
      --pending;
    } else {
      kept.push_back(*it);
    }
  }
  std::reverse(kept.begin(), kept.end());
  parts->swap(kept);
  return pending == 0;
}

// Rebuilds the chain from `root`, creating each missing directory. `untested` leading
// components (a network server and share) are, like drives, neither tested nor created.
bool CreateChain(const std::string& root, const std::vector<std::string>& parts, size_t untested,
                 const char* wanted) {
  std::string built = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    built += parts[i];
    const bool taken_as_is = i < untested || parts[i].find(':') != std::string::npos;
    if (!taken_as_is && !dir_exists(built.c_str()) && !dir_mk(built.c_str())) {
      const int error = errno;
      MERRTRACE("createDirectoryRecursive(): dir_mk(%s) failed", built.c_str());
      MERRTRACE("createDirectoryRecursive(): want to create \"%s\"", wanted);
      MERRTRACE("createDirectoryRecursive(): system error: [%d] \"%s\"", error,
                ErrnoText(error).c_str());
      return false;
    }
    built += kPathSeparator;
  }
  return true;
}

}  // namespace

bool dir_exists(const char* path) {
  return file_type(path) == kFileTypeDirectory;
}

namespace tevar {

bool createDirectoryRecursive(const char* path) {
  if (dir_exists(path))
    return true;
  std::string full;
  if (!FullPathOf(path, &full))
    return false;
  std::vector<std::string> parts;
  SplitString(full, "\\/", &parts);
  if (!ResolveDots(&parts)) {
    MERRTRACE("%s(): Malformed path \"%s\"", kFunction, full.c_str());
    return false;
  }
  const std::string root = RootOf(full);
  return CreateChain(root, parts, root.size() == 2 ? 2 : 0, path);
}

}  // namespace tevar
