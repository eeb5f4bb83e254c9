// The POSIX side of the directory tools: getcwd and mkdir. New directories get mode 0777,
// narrowed by the process's umask as usual.
#include <sys/stat.h>
#include <unistd.h>

#include "mdirtools.h"
#include "posix_path.h"

char* dir_getwd(char* buffer) {
  return getcwd(buffer, kMaxWorkingDir);
}

bool dir_mk(const char* path) {
  return mkdir(ToPosixPath(path).c_str(), 0777) == 0;
}
