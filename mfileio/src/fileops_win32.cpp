// The Windows file-system queries of the path helpers: FindFirstFile for the type, _stat64 for
// the size, _access for existence, MoveFileEx for renaming and _fullpath for full paths.
#include <windows.h>

#include <io.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "errtrace.h"
#include "fileops.h"
#include "fileops_platform.h"

const char kPathSeparator = '\\';

int file_type(const char* path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE)
    return kFileTypeNone;
  FindClose(search);
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return kFileTypeDirectory;
  if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
    return kFileTypeHiddenFile;
  return kFileTypeFile;
}

bool OsStatSize(const char* path, int64_t* size) {
  struct _stat64 info;
  if (_stat64(path, &info) != 0)
    return false;
  *size = info.st_size;
  return true;
}

bool file_exists(const char* path) {
  return _access(path, 0) == 0;
}

bool file_rename(const char* from, const char* to) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING))
    return true;
  const DWORD error = GetLastError();
  MERRTRACE("file_rename(): MoveFileEx(%s,%s) failed: %u", from, to, static_cast<unsigned>(error));
  SetLastError(error);
  return false;
}

bool OsFullPath(const char* path, char* out, size_t capacity) {
  return _fullpath(out, path, capacity) != nullptr;
}
