// Helpers for the tests of this folder: a scratch folder, raw file bytes and an error context
// whose entries a test can read.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "diag.h"
#include "errtrace.h"

namespace fileio_testing {

// A new empty folder under the system's temporary folder, removed with all its contents.
class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("cu_fileio_" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  // The folder as the OS spells it (backslashes on Windows).
  std::string path() const { return path_.string(); }
  // A name inside the folder, joined with '/' (which both platforms accept).
  std::string File(const std::string& name) const { return path() + "/" + name; }
  // The names of the entries in the folder.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(entry.path().filename().string());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Opens an error context for the test's lifetime; the entries never reach the error log.
class ErrorContext {
 public:
  ErrorContext() { MErrTrace_BeginContext(); }
  ~ErrorContext() {
    MErrTrace_ClearContext();
    MErrTrace_EndContext();
  }
  std::vector<std::string> Entries() const { return diag::CurrentContextEntries(); }
  void Clear() { MErrTrace_ClearContext(); }
  // Checks the entries against `patterns`, one each, then clears them. A pattern ending in '*'
  // is a prefix (for entries that end in an OS error number or text); others must match whole.
  void ExpectAndClear(const std::vector<std::string>& patterns) {
    const std::vector<std::string> entries = Entries();
    Clear();
    ASSERT_EQ(entries.size(), patterns.size()) << (entries.empty() ? "" : entries[0]);
    for (size_t i = 0; i < patterns.size(); ++i) {
      const std::string& pattern = patterns[i];
      if (!pattern.empty() && pattern.back() == '*')
        EXPECT_EQ(entries[i].rfind(pattern.substr(0, pattern.size() - 1), 0), 0u) << entries[i];
      else
        EXPECT_EQ(entries[i], pattern);
    }
  }
};

// Sets or removes an environment variable for the process (both the runtime's copy and the
// system's, which ExpandEnvironmentStrings and GetEnvironmentVariable read on Windows).
inline void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}
inline void UnsetEnv(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");
#else
  unsetenv(name);
#endif
}

// Makes `folder` the current directory for the object's lifetime.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::string& folder) : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentDirectory() { std::filesystem::current_path(saved_); }

 private:
  std::filesystem::path saved_;
};

// `path` with every '/' and '\\' written as `separator`.
inline std::string WithSeparator(std::string path, char separator) {
  for (char& c : path)
    if (c == '/' || c == '\\')
      c = separator;
  return path;
}

}  // namespace fileio_testing
