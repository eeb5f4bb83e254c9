// The Windows side of the application-data folder: GetEnvironmentVariable for the override and
// SHGetSpecialFolderPath(CSIDL_COMMON_APPDATA) for the machine-wide folder.
#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "common_app_data_platform.h"

bool OsEnvironmentValue(const char* name, std::string* value) {
  // A missing variable answers 0 with ERROR_ENVVAR_NOT_FOUND. An empty one asks for 1 byte and
  // then reads as 0 characters: that is its value, not its absence.
  SetLastError(ERROR_SUCCESS);
  DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
  if (needed == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
    return false;
  std::vector<char> buffer(needed + 1);
  SetLastError(ERROR_SUCCESS);
  DWORD length = GetEnvironmentVariableA(name, buffer.data(), needed + 1);
  if (length > needed || (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND))
    return false;  // changed or removed between the two calls
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
