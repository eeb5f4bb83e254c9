// What the shared framework code asks of the platform back end (fw_platform_win32.cpp,
// fw_platform_posix.cpp).
#pragma once

#include <string>

namespace fw {

// The module handle of the executable (HINSTANCE on Windows, null on POSIX).
void* ExecutableInstance();

// The file name of the module `instance` (null: the executable) without folder and, on Windows,
// without its extension. False when the system cannot say.
bool ExecutableName(void* instance, std::string* name);

}  // namespace fw
