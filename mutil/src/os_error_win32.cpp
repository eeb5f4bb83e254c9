#include <windows.h>

#include <cstring>

#include "os_error.h"

unsigned long LastOsError() {
  return GetLastError();
}

std::string OsErrorText(unsigned long error) {
  char buffer[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, buffer, sizeof buffer, nullptr);
  while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == ' '))
    --n;
  return std::string(buffer, n);
}

std::string ErrnoText(int error) {
  char buffer[256];
  if (strerror_s(buffer, sizeof buffer, error) != 0)
    return "";
  return buffer;
}
