// The POSIX file-system queries of the path helpers: stat for type and size, access for
// existence, rename, and a lexical full path built on getcwd.
//
// POSIX has no hidden or system attribute. A name beginning with '.' is hidden by convention,
// and anything that is neither a regular file nor a directory (device, socket, pipe) is a
// system object: both report as kFileTypeHiddenFile.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "errtrace.h"
#include "fileops.h"
#include "fileops_platform.h"
#include "posix_path.h"

const char kPathSeparator = '/';

int file_type(const char* path) {
  // A find-first over a path that ends with a separator (the root included) matches nothing on
  // Windows, where stat() would name the folder: such a path is no match here either.
  const size_t length = strlen(path);
  if (length == 0 || path[length - 1] == '/' || path[length - 1] == '\\')
    return kFileTypeNone;
  struct stat info;
  if (stat(ToPosixPath(path).c_str(), &info) != 0)
    return kFileTypeNone;
  if (S_ISDIR(info.st_mode))
    return kFileTypeDirectory;
  const char* name = file_basename(path);
  if (!S_ISREG(info.st_mode) || (name && name[0] == '.'))
    return kFileTypeHiddenFile;
  return kFileTypeFile;
}

bool OsStatSize(const char* path, int64_t* size) {
  struct stat info;
  if (stat(ToPosixPath(path).c_str(), &info) != 0)
    return false;
  *size = static_cast<int64_t>(info.st_size);
  return true;
}

bool file_exists(const char* path) {
  return access(ToPosixPath(path).c_str(), F_OK) == 0;
}

bool file_rename(const char* from, const char* to) {
  // rename() replaces an existing target atomically, as MOVEFILE_REPLACE_EXISTING does.
  if (rename(ToPosixPath(from).c_str(), ToPosixPath(to).c_str()) == 0)
    return true;
  const int error = errno;
  MERRTRACE("file_rename(): MoveFileEx(%s,%s) failed: %u", from, to, static_cast<unsigned>(error));
  errno = error;  // callers report the errno text as well
  return false;
}

namespace {

// Splits `path` at '/' and resolves "." and ".." without asking the file system, as _fullpath
// does: a ".." above the root stays at the root.
std::string NormalisePath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos)
      end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty())
        parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string result;
  for (const std::string& part : parts)
    result += "/" + part;
  return result.empty() ? "/" : result;
}

}  // namespace

bool OsFullPath(const char* path, char* out, size_t capacity) {
  std::string full = ToPosixPath(path);
  if (full.empty() || full[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr)
      return false;
    full = std::string(cwd) + "/" + full;
  }
  full = NormalisePath(full);
  if (full.size() >= capacity)
    return false;
  memcpy(out, full.c_str(), full.size() + 1);
  return true;
}
