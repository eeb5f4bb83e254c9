// Directory tools: the current directory, one directory, and whole missing directory chains.
//
// Paths are 8-bit with '\\' or '/' as separators. All functions are reentrant;
// createDirectoryRecursive reads the process's current directory but never changes it.
#pragma once

#include <cstddef>

// The size dir_getwd's buffer must have.
constexpr size_t kMaxWorkingDir = 260;

// Writes the current directory into `buffer` (kMaxWorkingDir bytes) and returns it, or null when
// it cannot be read or does not fit.
char* dir_getwd(char* buffer);

// Creates one directory; its parent must exist. False (errno set) when that fails.
bool dir_mk(const char* path);

// True when `path` names a directory (file_type gives kFileTypeDirectory).
bool dir_exists(const char* path);

namespace tevar {

// Creates every missing directory of `path` (absolute, or relative to the current directory).
// "." components are ignored and each ".." cancels the name before it, so a chain is never
// created through a folder that a ".." leaves. Drive components ("D:") are taken as they are,
// and so are the server and share of a path that starts with two separators. True when the
// directory exists afterwards; false after error-trace entries, with the directories made
// before the failure left in place.
bool createDirectoryRecursive(const char* path);

}  // namespace tevar
