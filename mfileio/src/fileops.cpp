// The platform-neutral path helpers: string work on 8-bit paths in which '/' and '\\' both
// separate directories, and file_size on top of file_type. The helpers that ask the file system
// live in fileops_win32.cpp / fileops_posix.cpp.
#include "fileops.h"

#include <cstdlib>
#include <cstring>

#include "fileops_platform.h"

namespace {

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

// The last separator of `path`, or null.
const char* LastSeparator(const char* path) {
  const char* last = nullptr;
  for (const char* p = path; *p; ++p)
    if (IsSeparator(*p))
      last = p;
  return last;
}

}  // namespace

int64_t file_size(const char* path) {
  const int type = file_type(path);
  if (type == kFileTypeNone)
    return -1;
  if (type == kFileTypeDirectory)
    return 0;
  int64_t size = -1;
  return OsStatSize(path, &size) ? size : -1;
}

char* file_dirname(const char* path, char* out) {
  const char* last = LastSeparator(path);
  if (*path == '\0' || last == nullptr)
    return nullptr;
  const size_t length = static_cast<size_t>(last - path);
  memcpy(out, path, length);
  out[length] = '\\';
  out[length + 1] = '\0';
  return out;
}

const char* file_basename(const char* path) {
  if (*path == '\0')
    return nullptr;
  const char* last = LastSeparator(path);
  return last ? last + 1 : path;
}

bool file_is_absolute(const char* path) {
  if (IsSeparator(path[0]))
    return true;
  const char drive = path[0];
  const bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
  return letter && path[1] == ':';
}

char* file_fullpath(const char* path, char* out) {
  char* buffer = out ? out : static_cast<char*>(malloc(kMaxFullPath));
  if (buffer == nullptr)
    return nullptr;
  bool found = OsFullPath(path, buffer, kMaxFullPath);
  if (found) {
    // A folder loses its trailing separator. The root has nothing left that a find-first
    // could match, with or without it, so it is never returned.
    size_t length = strlen(buffer);
    if (length > 0 && IsSeparator(buffer[length - 1]))
      buffer[length - 1] = '\0';
    found = file_type(buffer) != kFileTypeNone;
  }
  if (found)
    return buffer;
  if (out == nullptr)
    free(buffer);
  return nullptr;
}

char* file_topdir(char* path, char* out) {
  char* work = path;
  if (out)
    work = strcpy(out, path);
  char* p = work;
  while (*p && !IsSeparator(*p))
    ++p;
  if (*p == '\0')
    return nullptr;
  // A separator in the first position is the root: keep it.
  if (p == work)
    ++p;
  *p = '\0';
  return work;
}
