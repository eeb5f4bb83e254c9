// The file-system side of the path helpers, one body per platform (fileops_win32.cpp,
// fileops_posix.cpp). Reentrant; no diagnostics.
#pragma once

#include <cstddef>
#include <cstdint>

// The longest full path file_fullpath produces, terminator included.
constexpr size_t kMaxFullPath = 260;

// Writes the absolute, normalised form of `path` (against the current directory) into `out`
// (`capacity` bytes). False when it does not fit or cannot be formed; the path need not exist.
bool OsFullPath(const char* path, char* out, size_t capacity);

// The size in bytes of the file `path` names, from a stat of it. False when the stat fails.
bool OsStatSize(const char* path, int64_t* size);
