// Module handle and executable name from the Win32 module functions.
#include "fw_platform.h"

#include <windows.h>

namespace fw {

void* ExecutableInstance() {
  return GetModuleHandleA(nullptr);
}

bool ExecutableName(void* instance, std::string* name) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(instance), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return false;
  std::string file(path, length);
  const size_t slash = file.find_last_of("\\/");
  if (slash != std::string::npos)
    file.erase(0, slash + 1);
  const size_t dot = file.rfind('.');
  if (dot != std::string::npos && dot > 0)
    file.erase(dot);
  *name = file;
  return true;
}

}  // namespace fw
