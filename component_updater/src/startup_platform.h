// The platform's part of start-up (startup_win32.cpp, startup_posix.cpp).
#pragma once

#include <string>

// The two-letter ISO 639 name of the user's default locale (at most 3 characters), or "".
std::string DefaultLocaleLanguage();
