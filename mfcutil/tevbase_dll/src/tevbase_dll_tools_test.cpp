// Tests of the registry readers, against a scratch registry (real keys under Wine, a registry
// file on POSIX).
#include "tevbase_dll_tools.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "registry_testing.h"

TEST(ReadRegistryString, ReadsStringValuesOrGivesTheFallbackItself) {
  ScratchRegistry registry;
  const std::string key = registry.Key("Settings"), no_key = registry.Key("NoSuchKey");
  registry.Set(key, "language", "de");
  registry.Set(key, "empty", "");
  const char* fallback = "en";
  EXPECT_STREQ("de", ReadRegistryString(key.c_str(), "language", fallback));
  EXPECT_STREQ("", ReadRegistryString(key.c_str(), "empty", fallback));
  // Names match without regard to case; a trailing backslash on the subkey is ignored.
  EXPECT_STREQ("de", ReadRegistryString((registry.Key("SETTINGS") + "\\").c_str(), "LANGUAGE", ""));
  EXPECT_EQ(fallback, ReadRegistryString(key.c_str(), "missing", fallback));
  EXPECT_EQ(fallback, ReadRegistryString(no_key.c_str(), "language", fallback));
  EXPECT_EQ(nullptr, ReadRegistryString(no_key.c_str(), "language", nullptr));
}

TEST(ReadRegistryString, ResultsStayValidUntilTheirBufferComesRoundAndLongValuesComeWhole) {
  ScratchRegistry registry;
  const std::string key = registry.Key("Values");
  auto text = [](size_t n) { return std::string(n, static_cast<char>('a' + n % 26)); };
  // 258 characters fit the first buffer, 259 (260 bytes with the terminator) just do not, 300
  // take a long-value buffer, 70000 the heap buffer.
  for (size_t n : {1u,  2u,  3u,  4u,  5u,  6u,  7u,   8u,   9u,   10u,   11u,
                   12u, 13u, 14u, 15u, 16u, 17u, 258u, 259u, 300u, 70000u})
    registry.Set(key, std::to_string(n), text(n).c_str());
  std::vector<const char*> results;
  for (int n = 1; n <= 16; ++n)
    results.push_back(ReadRegistryString(key.c_str(), std::to_string(n).c_str(), ""));
  for (size_t n = 1; n <= 16; ++n)
    EXPECT_EQ(text(n), results[n - 1]);
  EXPECT_EQ(results[0], ReadRegistryString(key.c_str(), "17", "")) << "the first buffer again";
  EXPECT_EQ(text(17), results[0]);
  for (size_t n : {258u, 259u, 70000u})
    EXPECT_EQ(text(n), ReadRegistryString(key.c_str(), std::to_string(n).c_str(), ""));
  const char* medium = ReadRegistryString(key.c_str(), "300", "");
  EXPECT_EQ(text(70000), ReadRegistryString(key.c_str(), "70000", "")) << "a new heap buffer";
  EXPECT_EQ(text(300), medium) << "a very long value leaves the others alone";
}

TEST(ReadRegistryValue, NegotiatesTheSizeWithTheCaller) {
  ScratchRegistry registry;
  const std::string key = registry.Key("User");
  registry.Set(key, "ActiveUser", "operator");
  // key, value, capacity -> "result size text"; a missing value or key answers with size 0.
  const std::tuple<std::string, const char*, unsigned, const char*> cases[] = {
      {key, "ActiveUser", 1, "0 9 #"},  // the size needed, terminator included
      {key, "ActiveUser", 9, "1 9 operator"},
      {key, "ActiveUser", 64, "1 9 operator"},
      {key, "missing", 64, "0 0 #"},
      {registry.Key("NoSuchKey"), "ActiveUser", 64, "0 0 #"}};
  for (const auto& [subkey, value, capacity, result] : cases) {
    std::vector<char> buffer(capacity, '#');
    unsigned size = capacity;
    const bool ok = ReadRegistryValue(subkey.c_str(), value, buffer.data(), &size);
    EXPECT_EQ(result, std::to_string(ok) + " " + std::to_string(size) + " " +
                          std::string(buffer.data(), ok ? strlen(buffer.data()) : 1));
    EXPECT_TRUE(!ok || buffer.back() == '\0') << "the buffer's last byte is always terminated";
  }
}

// Under ThreadSanitizer a reader that skipped the registry lock shows as a race on the shared
// buffers; without it, as a wrong text. The two threads together make fewer string reads than
// there are result buffers, so no buffer comes round while a thread still reads its text (which
// the callers' contract forbids, and ThreadSanitizer would report).
TEST(ReadRegistryValue, ConcurrentReadersEachGetTheirValue) {
  ScratchRegistry registry;
  const std::string key = registry.Key("Threads");
  registry.Set(key, "a", "alpha");
  registry.Set(key, "b", "bravo");
  std::atomic<int> wrong{0}, started{0};
  auto reader = [&](const char* name, const std::string& expected) {
    // Both threads start reading together, so their reads overlap.
    for (++started; started < 2;)
      std::this_thread::yield();
    for (int i = 0; i < 50; ++i) {
      if (i < 7)
        wrong += expected != ReadRegistryString(key.c_str(), name, "");
      char buffer[16];
      unsigned size = sizeof buffer;
      wrong += !ReadRegistryValue(key.c_str(), name, buffer, &size) || expected != buffer;
    }
  };
  std::thread a(reader, "a", "alpha"), b(reader, "b", "bravo");
  a.join();
  b.join();
  EXPECT_EQ(0, wrong);
}

#ifdef _WIN32
TEST(RegistryWin32, OnlyStringValuesOfThe32BitViewAreRead) {
  ScratchRegistry registry;
  const std::string key = registry.Key("Typed"), only64 = registry.Key("Only64");
  registry.Set(key, "text", "t");
  HKEY typed, wide;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0,
                                         KEY_ALL_ACCESS | KEY_WOW64_32KEY, &typed));
  const DWORD number = 7;
  RegSetValueExA(typed, "number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
  RegCloseKey(typed);
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, only64.c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &wide, nullptr));
  RegSetValueExA(wide, "text", 0, REG_SZ, reinterpret_cast<const BYTE*>("w"), 2);
  RegCloseKey(wide);
  char buffer[16];
  unsigned size = sizeof buffer;
  EXPECT_STREQ("none", ReadRegistryString(key.c_str(), "number", "none"));
  EXPECT_FALSE(ReadRegistryValue(key.c_str(), "number", buffer, &size) || size != 0);
  EXPECT_STREQ("none", ReadRegistryString(only64.c_str(), "text", "none")) << "64-bit view only";
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, only64.c_str(), KEY_WOW64_64KEY, 0);
}
#else
TEST(RegistryFile, SectionsAreKeysAndEntriesTrimmedStringsAndNoFileHasNoKeys) {
  ScratchRegistry registry;
  const std::string key = registry.Key("Admin");
  registry.WriteRaw("[" + key + "\\]\n  Name =  spaced value \t\n; comment=no\n[Other]\nx=1\n");
  EXPECT_STREQ("spaced value", ReadRegistryString(key.c_str(), "name", ""));
  EXPECT_STREQ("none", ReadRegistryString(key.c_str(), "; comment", "none"));
  EXPECT_STREQ("1", ReadRegistryString("other\\", "X", ""));
  fileio_testing::ScopedEnv missing("TEVAR_REGISTRY_FILE", "/nonexistent/registry.ini");
  EXPECT_STREQ("none", ReadRegistryString(key.c_str(), "name", "none"));
}
#endif
