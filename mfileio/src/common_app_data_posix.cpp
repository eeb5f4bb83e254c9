// The POSIX side of the application-data folder: getenv for the override and "/var/lib", the
// filesystem hierarchy's place for state that programs keep machine-wide.
#include <cstdlib>

#include "common_app_data_platform.h"

bool OsEnvironmentValue(const char* name, std::string* value) {
  const char* text = getenv(name);
  if (text == nullptr)
    return false;
  *value = text;
  return true;
}

bool OsMachineAppDataFolder(std::string* folder) {
  *folder = "/var/lib";
  return true;
}
