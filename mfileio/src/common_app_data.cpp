// Finds the settings folder: the override from TEVAR_CONFIGPATH or the system's machine-wide
// application-data folder, then "Tevar" and the product below it, created on demand.
#include "common_app_data.h"

#include <cerrno>

#include "common_app_data_platform.h"
#include "errtrace.h"
#include "fileops.h"
#include "mdirtools.h"
#include "os_error.h"

bool GetCommonAppDataFolder(std::string& folder) {
  // The override is taken as written: a test set-up or a service may point it anywhere.
  if (OsEnvironmentValue("TEVAR_CONFIGPATH", &folder))
    return true;
  std::string system_folder;
  if (!OsMachineAppDataFolder(&system_folder)) {
    const std::string reason = ErrnoText(errno);
    MERRTRACE("GetCommonAppDataFolder() failed %s", reason.c_str());
    return false;
  }
  folder = system_folder;
  return true;
}

bool GetCommonAppDataFolderForProduct(std::string& folder, const char* product) {
  if (product == nullptr || *product == '\0') {
    MERRTRACE("GetCommonAppDataFolderForProduct(): no company name");
    return false;
  }
  std::string common;
  if (!GetCommonAppDataFolder(common)) {
    MERRTRACE("GetCommonAppDataFolderForProduct(): GetCommonAppDataFolder() failed");
    return false;
  }
  folder = common + kPathSeparator + "Tevar" + kPathSeparator + product + kPathSeparator;
  if (!tevar::createDirectoryRecursive(folder.c_str())) {
    MERRTRACE("GetCommonAppDataFolderForProduct createDirectoryRecursive(%s) failed",
              folder.c_str());
    return false;
  }
  return true;
}
