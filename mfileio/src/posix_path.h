// Path spelling for the POSIX bodies: the program writes paths with '\\' or '/', the OS takes
// only '/'. Used by *_posix.cpp files only.
#pragma once

#include <string>

// `path` as the POSIX calls take it: every '\\' turned into '/', and, as Windows does when it
// opens a path, trailing blanks and dots cut from each name in it ("fw.bin " is "fw.bin";
// "." and ".." stay). An update description's "file = fw.bin ; note" then names the same file
// on both targets.
inline std::string ToPosixPath(const char* path) {
  std::string converted;
  std::string name;
  auto flush = [&] {
    if (name != "." && name != "..") {
      const size_t keep = name.find_last_not_of(" .");
      if (keep != std::string::npos)
        name.erase(keep + 1);
    }
    converted += name;
    name.clear();
  };
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') {
      flush();
      converted += '/';
    } else {
      name += *p;
    }
  }
  flush();
  return converted;
}
