// The OS side of common_app_data.cpp, one body per platform. Reentrant; no diagnostics.
#pragma once

#include <string>

// The value of the environment variable `name`; false when it does not exist. An existing
// empty variable gives true and "".
bool OsEnvironmentValue(const char* name, std::string* value);

// The machine-wide application-data folder, without a trailing separator. False with errno set
// when the system cannot name it.
bool OsMachineAppDataFolder(std::string* folder);
