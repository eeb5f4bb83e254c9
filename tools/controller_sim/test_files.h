// Temporary files for the simulator's unit tests, below GoogleTest's temporary folder.
// Header-only and used by tests only.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace sim {
namespace test_files {

// A path for `name` in the temporary folder, with `text` in it (no file for a null text).
inline std::string FreshPath(const std::string& name, const char* text = nullptr) {
  const std::string path = testing::TempDir() + "sim_" + name;
  std::remove(path.c_str());
  if (text != nullptr)
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
