// The platform's part of start-up (startup_win32.cpp, startup_posix.cpp).
#pragma once

#include <string>

// The two-letter ISO 639 name of the user's default locale (at most 3 characters), or "".
std::string DefaultLocaleLanguage();

// The file the text table is read from, for the bare file name `name`. On Windows `name` itself:
// the table is looked up in the current folder only. On POSIX `name` as well while the current
// folder holds such a file; otherwise the installed table (the install prefix's data folder,
// fixed at build time) when it exists; otherwise `name`, so that a table missing everywhere is
// read as a missing file in the current folder.
std::string TextTableFile(const char* name);
