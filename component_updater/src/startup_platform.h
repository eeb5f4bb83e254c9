// The platform's part of start-up (startup_win32.cpp, startup_posix.cpp).
#pragma once

#include <string>

// Initialises the application framework for this module with the full command line, for a
// hidden window. False when the framework cannot start.
bool InitApplicationFramework(void* instance, const char* command_line);

// The application's name, as the application object knows it (the executable's name without
// its extension).
std::string ApplicationName();

// The two-letter ISO 639 name of the user's default locale (at most 3 characters), or "".
std::string DefaultLocaleLanguage();
