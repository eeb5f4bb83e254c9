#include <cerrno>
#include <cstring>
#include <type_traits>

#include "os_error.h"

unsigned long LastOsError() {
  return static_cast<unsigned long>(errno);
}

std::string OsErrorText(unsigned long error) {
  return ErrnoText(static_cast<int>(error));
}

std::string ErrnoText(int error) {
  char buffer[256];
  // The GNU strerror_r may return a static string instead of filling the buffer.
  auto text = [&](auto result) -> const char* {
    if constexpr (std::is_same<decltype(result), int>::value)
      return result == 0 ? buffer : "";
    else
      return result;
  };
  return text(strerror_r(error, buffer, sizeof buffer));
}
