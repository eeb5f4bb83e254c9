// Test helpers of the update engine's unit tests: update descriptions written inline.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "MIniData_template_core.h"

namespace engine_testing {

// Parses `text` line by line into `description` (which starts empty).
inline void LoadDescription(MIniData* description, const std::string& text) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    ASSERT_TRUE(description->parse_line(line)) << line;
}

}  // namespace engine_testing
