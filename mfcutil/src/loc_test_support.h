// Helpers shared by the localization tests: paths of the test data and temporary .loc files.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>

#include "fileio_testing.h"

namespace loc_test {

inline std::string DataPath(const char* name) {
  return std::string(CU_SOURCE_DIR) + "/mfcutil/src/testdata/" + name;
}

// A folder of this process's own under the temporary folder, so that test runs of several build
// trees at once never share files. Removed at exit.
inline const std::string& TempFolderPath() {
  static const fileio_testing::TempFolder folder;
  static const std::string path = folder.path();
  return path;
}

// A file in the temporary folder with the given bytes; removed when the object goes away.
class TempLocFile {
 public:
  TempLocFile(const std::string& name, const std::string& bytes)
      : path_(TempFolderPath() + "/" + name) {
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~TempLocFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace loc_test
