// The executable's name from /proc/self/exe; POSIX has no module handles.
#include "fw_platform.h"

#include <limits.h>
#include <unistd.h>

namespace fw {

void* ExecutableInstance() {
  return nullptr;
}

bool ExecutableName(void* /*instance*/, std::string* name) {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0)
    return false;
  std::string file(path, static_cast<size_t>(length));
  *name = file.substr(file.find_last_of('/') + 1);
  return true;
}

}  // namespace fw
