// Start-up on POSIX: the user's language comes from the locale environment.
#include <cstdlib>
#include <string>

#include "startup_platform.h"

// The language of the first locale variable that is set, as the C library would choose it
// (LC_ALL, then LC_MESSAGES, then LANG): the letters before '_', '.' or '@'. "C" and "POSIX" name
// no language.
std::string DefaultLocaleLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
      continue;
    std::string language;
    for (const char* p = value; *p >= 'a' && *p <= 'z'; ++p)
      language += *p;
    return language.size() <= 3 ? language : "";
  }
  return "";
}
