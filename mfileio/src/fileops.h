// Small path and file helpers.
//
// All take NUL-terminated 8-bit paths in which both '/' and '\\' are directory separators, on
// every platform. Failures that concern the caller add an error-trace entry (file_rename); the
// queries simply answer. All functions are reentrant.
#pragma once

#include <cstdint>

// The separator the program puts between the parts of a path it joins: '\\' on Windows, '/'
// on POSIX.
extern const char kPathSeparator;

// Values of file_type.
constexpr int kFileTypeNone = -1;
constexpr int kFileTypeDirectory = 'd';   // 100
constexpr int kFileTypeHiddenFile = ' ';  // 32: hidden or system attribute
constexpr int kFileTypeFile = '-';        // 45

// What `path` names: kFileTypeNone when nothing matches, else one of the values above.
int file_type(const char* path);

// The size of a file in bytes; 0 for a directory; -1 when the path names nothing or cannot be
// examined.
int64_t file_size(const char* path);

// True when the path exists (files and directories alike).
bool file_exists(const char* path);

// Renames `from` to `to`, replacing an existing `to`. False after the error-trace entry
// "file_rename(): MoveFileEx(%s,%s) failed: %u".
bool file_rename(const char* from, const char* to);

// Copies everything before the last separator into `out` and appends '\\'. Returns `out`, or null
// when the path is empty or has no separator. `out` must hold strlen(path) + 1 bytes.
char* file_dirname(const char* path, char* out);

// The part after the last separator (a pointer into `path`); the whole path when there is none;
// null for an empty path.
const char* file_basename(const char* path);

// True when the path starts with a separator or with a drive letter (A-Z, either case) and ':'.
bool file_is_absolute(const char* path);

// The full path of `path` against the current directory, at most 260 characters, without a
// trailing '\\' or '/'. Returns it only when file_type finds it, else null. With `out` null a
// 260-byte buffer is allocated with malloc: the caller frees it (it is freed already when the
// call fails). `out` must hold 260 bytes.
char* file_fullpath(const char* path, char* out);

// Cuts the path at its first separator, keeping a separator in the first position (the root).
// Works on a copy in `out` when given (strlen(path) + 1 bytes), else on `path` itself. Returns
// the cut buffer, or null when there is no separator at all.
char* file_topdir(char* path, char* out);
