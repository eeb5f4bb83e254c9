// Tests of the environment expansion: defined, undefined and malformed references, and results
// of any length.
#include "menvironment.h"

#include <gtest/gtest.h>

#include <string>

#include "fileio_testing.h"

using fileio_testing::ScopedEnv;

TEST(MReplaceEnvironmentVars, DefinedReferencesAreReplacedOthersStayAsWritten) {
  ScopedEnv dir("CU_ENV_DIR", "C:\\Temp");
  ScopedEnv x("CU_ENV_X", "x");
  ScopedEnv undefined("CU_ENV_NOT_DEFINED", nullptr);
  const std::string value(5000, 'v');
  ScopedEnv long_value("CU_ENV_LONG", value.c_str());
  const struct {
    std::string text, expanded;
  } cases[] = {
      {"%CU_ENV_DIR%\\x", "C:\\Temp\\x"},
      {"a%CU_ENV_X%b%CU_ENV_X%%CU_ENV_X%", "axbxx"},
      {"no references", "no references"},
      {"", ""},
      {"%CU_ENV_NOT_DEFINED%\\x", "%CU_ENV_NOT_DEFINED%\\x"},
      {"%CU_ENV_NOT_DEFINED%-%CU_ENV_X%", "%CU_ENV_NOT_DEFINED%-x"},
      {"100%", "100%"},
      {"50% of %CU_ENV_X%", "50% of %CU_ENV_X%"},  // the first '%' pairs with the next one
      {"%%", "%%"},
      {"%CU_ENV_X", "%CU_ENV_X"},
      {"%CU_ENV_LONG%\\end", value + "\\end"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_TRUE(MReplaceEnvironmentVars(text)) << c.text;
    EXPECT_EQ(c.expanded, text) << c.text;
  }
  // Results of every length around the first expansion's buffer come whole.
  for (size_t size = 4080; size < 4110; ++size) {
    const std::string exact(size, 'e');
    ScopedEnv edge("CU_ENV_EDGE", exact.c_str());
    std::string text = "%CU_ENV_EDGE%";
    EXPECT_TRUE(MReplaceEnvironmentVars(text));
    EXPECT_EQ(exact, text) << size;
  }
}
