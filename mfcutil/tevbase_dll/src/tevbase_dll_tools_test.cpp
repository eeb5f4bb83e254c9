// Tests of the registry readers. On Windows (under Wine) the test writes its own keys below
// HKLM\SOFTWARE in the 32-bit view; on POSIX it writes a registry file and points
// TEVAR_REGISTRY_FILE at it.
#include "tevbase_dll_tools.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// A scratch registry: a unique key below HKLM\SOFTWARE, removed with everything in it.
class ScratchRegistry {
 public:
  ScratchRegistry() {
    std::random_device random;
    root_ = "CuRegistryTest" + std::to_string(random());
#ifndef _WIN32
    file_ = (std::filesystem::temp_directory_path() / (root_ + ".ini")).string();
    setenv("TEVAR_REGISTRY_FILE", file_.c_str(), 1);
    WriteFile();
#endif
  }
  ~ScratchRegistry() {
#ifdef _WIN32
    HKEY software;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                      &software) == ERROR_SUCCESS) {
      RegDeleteTreeA(software, root_.c_str());
      RegCloseKey(software);
    }
#else
    std::filesystem::remove(file_);
    unsetenv("TEVAR_REGISTRY_FILE");
#endif
  }

  // The subkey path of `name` below the scratch key.
  std::string Key(const std::string& name) const {
    return "SOFTWARE\\" + root_ + "\\" + name;
  }

  void SetString(const std::string& name, const char* value, const std::string& text) {
#ifdef _WIN32
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, Key(name).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
#else
    sections_[Key(name)] += std::string(value) + "=" + text + "\n";
    WriteFile();
#endif
  }

#ifndef _WIN32
  // Replaces the registry file with `text`.
  void WriteRaw(const std::string& text) {
    std::ofstream(file_, std::ios::binary) << text;
  }
#endif

 private:
#ifndef _WIN32
  void WriteFile() {
    std::string text;
    for (const auto& section : sections_)
      text += "[" + section.first + "]\n" + section.second;
    WriteRaw(text);
  }
  std::string file_;
  std::map<std::string, std::string> sections_;
#endif
  std::string root_;
};

}  // namespace

TEST(ReadRegistryString, ReadsStringValuesOrGivesTheFallback) {
  ScratchRegistry registry;
  registry.SetString("Settings", "language", "de");
  registry.SetString("Settings", "empty", "");
  const std::string key = registry.Key("Settings");
  const char* fallback = "en";

  EXPECT_STREQ(ReadRegistryString(key.c_str(), "language", fallback), "de");
  EXPECT_STREQ(ReadRegistryString(key.c_str(), "empty", fallback), "");
  // Names match without regard to case; a trailing backslash on the subkey is ignored.
  std::string upper = registry.Key("SETTINGS") + "\\";
  EXPECT_STREQ(ReadRegistryString(upper.c_str(), "LANGUAGE", fallback), "de");

  EXPECT_EQ(ReadRegistryString(key.c_str(), "missing", fallback), fallback);
  const std::string no_key = registry.Key("NoSuchKey");
  EXPECT_EQ(ReadRegistryString(no_key.c_str(), "language", fallback), fallback);
  EXPECT_EQ(ReadRegistryString(no_key.c_str(), "language", nullptr), nullptr);
}

TEST(ReadRegistryString, ResultsStayValidUntilTheirBufferComesRoundAndLongValuesComeWhole) {
  ScratchRegistry registry;
  std::string key = registry.Key("Values");
  for (int i = 0; i < 17; ++i)
    registry.SetString("Values", ("v" + std::to_string(i)).c_str(), "text" + std::to_string(i));
  std::vector<const char*> results;
  for (int i = 0; i < 16; ++i)
    results.push_back(ReadRegistryString(key.c_str(), ("v" + std::to_string(i)).c_str(), ""));
  for (int i = 0; i < 16; ++i)
    EXPECT_STREQ(results[i], ("text" + std::to_string(i)).c_str());
  // The 17th call takes the first buffer again.
  EXPECT_EQ(ReadRegistryString(key.c_str(), "v16", ""), results[0]);
  EXPECT_STREQ(results[0], "text16");

  // Long values are read whole: 258 characters fit the first buffer, 259 (260 bytes with the
  // terminator) just do not, 300 take a static long-value buffer, 70000 the heap buffer.
  key = registry.Key("Long");
  auto text = [](size_t n) { return std::string(n, static_cast<char>('a' + n % 26)); };
  for (size_t n : {258u, 259u, 300u, 70000u})
    registry.SetString("Long", std::to_string(n).c_str(), text(n));
  for (size_t n : {258u, 259u, 70000u})
    EXPECT_EQ(ReadRegistryString(key.c_str(), std::to_string(n).c_str(), ""), text(n));
  const std::string medium = text(300);
  const char* medium_result = ReadRegistryString(key.c_str(), "300", "");
  EXPECT_EQ(std::string(medium_result), medium);
  EXPECT_EQ(ReadRegistryString(key.c_str(), "70000", ""), text(70000))
      << "the heap buffer is replaced";
  EXPECT_EQ(std::string(medium_result), medium) << "a very long value leaves the others alone";
}

TEST(ReadRegistryValue, NegotiatesTheSizeWithTheCaller) {
  ScratchRegistry registry;
  registry.SetString("User", "ActiveUser", "operator");
  const std::string key = registry.Key("User");

  char probe[1] = {'x'};
  unsigned size = sizeof probe;
  EXPECT_FALSE(ReadRegistryValue(key.c_str(), "ActiveUser", probe, &size));
  EXPECT_EQ(size, 9u) << "the size needed, terminator included";

  std::vector<char> buffer(size, '#');
  EXPECT_TRUE(ReadRegistryValue(key.c_str(), "ActiveUser", buffer.data(), &size));
  EXPECT_EQ(size, 9u);
  EXPECT_STREQ(buffer.data(), "operator");

  char roomy[64];
  memset(roomy, '#', sizeof roomy);
  size = sizeof roomy;
  EXPECT_TRUE(ReadRegistryValue(key.c_str(), "ActiveUser", roomy, &size));
  EXPECT_EQ(size, 9u);
  EXPECT_STREQ(roomy, "operator");
  EXPECT_EQ(roomy[63], '\0') << "the buffer's last byte is always terminated";

  // A missing value or key answers with size 0.
  for (const auto& missing :
       {std::make_pair(key, "missing"), std::make_pair(registry.Key("NoSuchKey"), "ActiveUser")}) {
    size = sizeof roomy;
    EXPECT_FALSE(ReadRegistryValue(missing.first.c_str(), missing.second, roomy, &size));
    EXPECT_EQ(size, 0u) << missing.first;
  }
}

TEST(ReadRegistryValue, ConcurrentReadersEachGetTheirValue) {
  ScratchRegistry registry;
  registry.SetString("Threads", "a", "alpha");
  registry.SetString("Threads", "b", "bravo");
  const std::string key = registry.Key("Threads");
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      const char* name = t % 2 ? "a" : "b";
      const char* expected = t % 2 ? "alpha" : "bravo";
      for (int i = 0; i < 50; ++i) {
        char buffer[16];
        unsigned size = sizeof buffer;
        if (!ReadRegistryValue(key.c_str(), name, buffer, &size) || strcmp(buffer, expected) != 0)
          ++wrong;
        ReadRegistryString(key.c_str(), name, "");
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(wrong, 0);
}

#ifdef _WIN32
TEST(RegistryWin32, OnlyStringValuesOfThe32BitViewAreRead) {
  ScratchRegistry registry;
  registry.SetString("Typed", "text", "t");
  const std::string key = registry.Key("Typed");
  HKEY typed;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &typed),
      ERROR_SUCCESS);
  DWORD number = 7;
  RegSetValueExA(typed, "number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof number);
  RegCloseKey(typed);
  EXPECT_STREQ(ReadRegistryString(key.c_str(), "number", "none"), "none");
  char buffer[16];
  unsigned size = sizeof buffer;
  EXPECT_FALSE(ReadRegistryValue(key.c_str(), "number", buffer, &size));
  EXPECT_EQ(size, 0u);

  // A key written in the 64-bit view only is not seen.
  HKEY wide;
  const std::string only64 = key + "64";
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, only64.c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &wide, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(wide, "text", 0, REG_SZ, reinterpret_cast<const BYTE*>("w"), 2);
  RegCloseKey(wide);
  EXPECT_STREQ(ReadRegistryString(only64.c_str(), "text", "none"), "none");
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, only64.c_str(), KEY_WOW64_64KEY, 0);
}
#else
TEST(RegistryFile, SectionsAreKeysAndEntriesTrimmedStrings) {
  ScratchRegistry registry;
  const std::string key = registry.Key("Admin");
  registry.WriteRaw("[" + key + "\\]\n  Name =  spaced value \t\n; comment=no\n[Other]\nx=1\n");
  EXPECT_STREQ(ReadRegistryString(key.c_str(), "name", ""), "spaced value");
  EXPECT_STREQ(ReadRegistryString(key.c_str(), "; comment", "none"), "none");
  EXPECT_STREQ(ReadRegistryString("other\\", "X", ""), "1");

  // Without the file every value is missing.
  setenv("TEVAR_REGISTRY_FILE", "/nonexistent/registry.ini", 1);
  EXPECT_STREQ(ReadRegistryString(key.c_str(), "name", "none"), "none");
  unsigned size = 4;
  char buffer[4];
  EXPECT_FALSE(ReadRegistryValue(key.c_str(), "name", buffer, &size));
  EXPECT_EQ(size, 0u);
}
#endif
