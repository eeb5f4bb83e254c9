// The machine-wide application-data folder and the per-product folder below it, where the
// program keeps its settings file.
//
// The environment variable TEVAR_CONFIGPATH, when it exists, replaces the machine-wide folder.
// Failures add error-trace entries and return false. Reentrant.
#pragma once

#include <string>

// Sets `folder` to TEVAR_CONFIGPATH exactly as written (even empty), else to the machine-wide
// application-data folder (CSIDL_COMMON_APPDATA on Windows, "/var/lib" on POSIX), without a
// trailing separator. On failure `folder` is left as it was.
bool GetCommonAppDataFolder(std::string& folder);

// Sets `folder` to the common folder + "Tevar" + `product`, each followed by the platform's
// separator, and creates that chain when it is missing. A null or empty product fails. When only
// the creation fails, `folder` still holds the path that was built.
bool GetCommonAppDataFolderForProduct(std::string& folder, const char* product);
