// The one home of the test helpers of the foundation modules (header only): a scratch folder,
// a scoped environment variable, raw file bytes, the current directory, source-tree paths, a
// reader whose reads fail and an error context whose entries a test can read.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "diag.h"
#include "errtrace.h"
#include "fastfile.h"

namespace fileio_testing {

// A new empty folder under the system's temporary folder, removed with all its contents.
class TempFolder {
 public:
  TempFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("cu_test_" + std::to_string(std::random_device()()) +
               std::to_string(std::random_device()()))) {
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
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(entry.path().filename().string());
    return names;
  }

 private:
  std::filesystem::path path_;
};

// Sets (or with a null value removes) an environment variable for the object's lifetime, then
// restores it: the runtime's copy and, on Windows, the system's (GetEnvironmentVariable,
// ExpandEnvironmentStrings). _putenv_s removes a variable given "", so on Windows an empty
// value goes to the system's copy alone.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name))
      saved_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(saved_ ? saved_->c_str() : nullptr); }

  void Set(const char* value) {
#ifdef _WIN32
    _putenv_s(name_.c_str(), value != nullptr ? value : "");
    if (value != nullptr && *value == '\0')
      SetEnvironmentVariableA(name_.c_str(), "");
#else
    if (value != nullptr)
      setenv(name_.c_str(), value, 1);
    else
      unsetenv(name_.c_str());
#endif
  }

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file of the source tree, e.g. SourceFile("mutil/src/testdata/x.ini").
inline std::string SourceFile(const std::string& relative) {
  return std::string(CU_SOURCE_DIR) + "/" + relative;
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

// A line reader whose refills fail once `good_fills` have succeeded, to reach the read-error
// paths of the readers built on it.
class FailingReader : public MFastFileReader {
 public:
  explicit FailingReader(int good_fills) : good_fills_(good_fills) {}
  bool fill_buffer() override { return good_fills_-- > 0 && MFastFileReader::fill_buffer(); }

 private:
  int good_fills_;
};

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
    std::vector<std::string> entries = Entries();
    Clear();
    ASSERT_EQ(patterns.size(), entries.size()) << (entries.empty() ? "" : entries.back());
    for (size_t i = 0; i < patterns.size(); ++i) {
      std::string expected = patterns[i];
      if (!expected.empty() && expected.back() == '*') {
        expected.pop_back();
        entries[i] = entries[i].substr(0, expected.size());
      }
      EXPECT_EQ(expected, entries[i]);
    }
  }
};

}  // namespace fileio_testing
