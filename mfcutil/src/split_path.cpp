// A portable stand-in for _splitpath: only the drive test needs care, since POSIX paths never
// carry one but the rules must stay the same on both targets.
#include "split_path.h"

namespace {

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

SplitPathParts SplitPath(const std::string& path) {
  SplitPathParts parts;
  std::string::size_type pos = 0;
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    parts.drive = path.substr(0, 2);
    pos = 2;
  }
  std::string::size_type name_start = pos;
  for (std::string::size_type i = pos; i < path.size(); ++i) {
    if (IsSeparator(path[i]))
      name_start = i + 1;
  }
  parts.directory = path.substr(pos, name_start - pos);
  const std::string last = path.substr(name_start);
  const std::string::size_type dot = last.rfind('.');
  if (dot == std::string::npos) {
    parts.name = last;
  } else {
    parts.name = last.substr(0, dot);
    parts.extension = last.substr(dot);
  }
  return parts;
}
