// The Windows side of the application-data folder: GetEnvironmentVariable for the override and
// SHGetSpecialFolderPath(CSIDL_COMMON_APPDATA) for the machine-wide folder.
#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "common_app_data_platform.h"

bool OsEnvironmentValue(const char* name, std::string* value) {
  // An empty variable and a missing one both answer 0; only the last error tells them apart.
  SetLastError(ERROR_SUCCESS);
  DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
  if (needed == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND)
      return false;
    value->clear();
    return true;
  }
  std::vector<char> buffer(needed);
  DWORD length = GetEnvironmentVariableA(name, buffer.data(), needed);
  if (length == 0 || length >= needed)
    return false;
  value->assign(buffer.data(), length);
  return true;
}

bool OsMachineAppDataFolder(std::string* folder) {
  char path[MAX_PATH];
  if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_COMMON_APPDATA, FALSE))
    return false;
  *folder = path;
  return true;
}
