// Start-up on Windows: the user's locale from the locale API; the text table from the current
// folder.
#include <windows.h>

#include <string>

#include "startup_platform.h"

std::string DefaultLocaleLanguage() {
  char name[4] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, name, sizeof name) == 0)
    return "";
  return name;
}

std::string TextTableFile(const char* name) {
  return name;
}
