// A scratch registry for tests (header only): string values where ReadRegistryString finds
// them, gone again with the object. On Windows real keys of HKEY_LOCAL_MACHINE in the 32-bit
// view; on POSIX a registry file that TEVAR_REGISTRY_FILE names while the object lives.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fileio_testing.h"

class ScratchRegistry {
 public:
  ScratchRegistry() : env_("TEVAR_REGISTRY_FILE", File().c_str()) {}
#ifdef _WIN32
  ~ScratchRegistry() {
    HKEY key;
    for (const auto& [subkey, value] : written_)
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, kAccess, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, value.c_str());
        RegCloseKey(key);
      }
  }
#endif

  // A subkey path of its own for `name`.
  std::string Key(const std::string& name) const {
    return "SOFTWARE\\CuRegistryTest\\" + folder_.path().substr(folder_.path().size() - 8) + name;
  }

  // Sets the string `value` of the subkey `key`; a null text removes it.
  void Set(const std::string& key, const std::string& value, const char* text) {
#ifdef _WIN32
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                             kAccess, nullptr, &handle, nullptr));
    if (text != nullptr)
      RegSetValueExA(handle, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     static_cast<DWORD>(strlen(text) + 1));
    else
      RegDeleteValueA(handle, value.c_str());
    RegCloseKey(handle);
    written_.emplace_back(key, value);
#else
    if (text != nullptr)
      values_[key][value] = text;
    else
      values_[key].erase(value);
    std::string file;
    for (const auto& [section, entries] : values_) {
      file += "[" + section + "]\n";
      for (const auto& [name, content] : entries)
        file += name + "=" + content + "\n";
    }
    WriteRaw(file);
#endif
  }

  // Replaces the whole registry file (POSIX).
  void WriteRaw(const std::string& text) {
    fileio_testing::WriteBytes(File(), text);
  }

 private:
  std::string File() const {
    return folder_.File("registry.ini");
  }

#ifdef _WIN32
  static constexpr REGSAM kAccess = KEY_ALL_ACCESS | KEY_WOW64_32KEY;
  std::vector<std::pair<std::string, std::string>> written_;
#endif
  fileio_testing::TempFolder folder_;
  fileio_testing::ScopedEnv env_;
  std::map<std::string, std::map<std::string, std::string>> values_;
};
