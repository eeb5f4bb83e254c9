// Temporary files for the simulator's unit tests: fresh paths below GoogleTest's temporary folder,
// writing a file and reading one back whole. Header-only and used by tests only.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace sim {
namespace test_files {

// A path for `name` in the temporary folder, with no file there yet.
inline std::string FreshPath(const std::string& name) {
  const std::string path = testing::TempDir() + "sim_" + name;
  std::remove(path.c_str());
  return path;
}

// Writes `text` as the file `name` in the temporary folder and returns its path.
inline std::string Write(const std::string& name, const std::string& text) {
  const std::string path = FreshPath(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// The whole file, byte for byte; "" when it cannot be read.
inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace test_files
}  // namespace sim
