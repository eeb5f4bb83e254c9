// The Windows side of the directory tools: the C runtime's _getcwd and _mkdir.
#include <direct.h>

#include "mdirtools.h"

char* dir_getwd(char* buffer) {
  return _getcwd(buffer, static_cast<int>(kMaxWorkingDir));
}

bool dir_mk(const char* path) {
  return _mkdir(path) == 0;
}
