// Path spelling for the POSIX bodies: the program writes paths with '\\' or '/', the OS takes
// only '/'. Used by *_posix.cpp files only.
#pragma once

#include <algorithm>
#include <string>

// `path` with every '\\' turned into '/'.
inline std::string ToPosixPath(const char* path) {
  std::string converted(path);
  std::replace(converted.begin(), converted.end(), '\\', '/');
  return converted;
}
