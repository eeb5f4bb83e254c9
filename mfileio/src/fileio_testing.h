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
  TempFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("cu_test_" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
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

// Sets (or with a null value removes) an environment variable for the object's lifetime and
// then restores what was there. Both the runtime's copy and, on Windows, the system's copy
// (which GetEnvironmentVariable and ExpandEnvironmentStrings read) change. Windows' _putenv_s
// removes a variable given an empty value, so an empty value is set in the system's copy alone
// there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name))
      saved_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(saved_ ? saved_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  void Set(const char* value) {
#ifdef _WIN32
    if (value != nullptr && *value == '\0') {
      _putenv_s(name_.c_str(), "");
      SetEnvironmentVariableA(name_.c_str(), "");
    } else {
      _putenv_s(name_.c_str(), value != nullptr ? value : "");
    }
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
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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

// `path` with every '/' and '\\' written as `separator`.
inline std::string WithSeparator(std::string path, char separator) {
  for (char& c : path)
    if (c == '/' || c == '\\')
      c = separator;
  return path;
}

// A line reader whose refills fail from the given one on (`good_fills` succeed first), to reach
// the read-error paths of the readers built on it.
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
    const std::vector<std::string> entries = Entries();
    Clear();
    ASSERT_EQ(entries.size(), patterns.size()) << (entries.empty() ? "" : entries.back());
    for (size_t i = 0; i < patterns.size(); ++i) {
      const std::string& pattern = patterns[i];
      if (!pattern.empty() && pattern.back() == '*')
        EXPECT_EQ(entries[i].rfind(pattern.substr(0, pattern.size() - 1), 0), 0u) << entries[i];
      else
        EXPECT_EQ(entries[i], pattern);
    }
  }
};

}  // namespace fileio_testing
