// The operating system's last error and its text, one body per platform: GetLastError and
// FormatMessage on Windows, errno and strerror on POSIX.
#pragma once

#include <string>

// The calling thread's last error number (GetLastError on Windows, errno on POSIX).
unsigned long LastOsError();

// The text of an error number of LastOsError, without a trailing line end.
std::string OsErrorText(unsigned long error);

// The C runtime's text for an errno value (strerror), on both platforms.
std::string ErrnoText(int error);
