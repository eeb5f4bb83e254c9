// Start-up on POSIX: the user's language comes from the locale environment; the text table from
// the current folder, else from the installed package's data folder.
#include <cstdlib>
#include <string>

#include "fileops.h"
#include "startup_platform.h"

namespace {

// The folder of the installed text table and examples, from the install prefix (set by
// component_updater/src/CMakeLists.txt). CLocalize lower-cases the path it opens, so CMake
// accepts only a lower-case folder here.
const char kInstalledDataFolder[] = CU_INSTALLED_DATA_DIR;

}  // namespace

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

std::string TextTableFile(const char* name) {
  // The same test as the table reader's: a name that exists in the current folder is that
  // folder's table, even when it cannot be read, so the current folder always wins.
  if (file_exists(name))
    return name;
  const std::string installed = std::string(kInstalledDataFolder) + "/" + name;
  return file_exists(installed.c_str()) ? installed : name;
}
