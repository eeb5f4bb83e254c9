// Helpers shared by the localization tests: paths of the test data and temporary .loc files.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace loc_test {

inline std::string DataPath(const char* name) {
  return std::string(CU_SOURCE_DIR) + "/mfcutil/src/testdata/" + name;
}

// A file under the temporary folder with the given bytes; removed when the object goes away.
class TempLocFile {
 public:
  TempLocFile(const std::string& name, const std::string& bytes) {
    const char* dir = std::getenv("TMPDIR");
    if (dir == nullptr)
      dir = std::getenv("TEMP");
    path_ = std::string(dir != nullptr ? dir : "/tmp") + "/" + name;
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~TempLocFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace loc_test
