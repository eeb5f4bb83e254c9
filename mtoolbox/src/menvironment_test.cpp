// Tests of the environment expansion: defined, undefined and malformed references, and results
// longer than the first expansion's buffer.
#include "menvironment.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

namespace {

void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}

std::string Expand(std::string text) {
  EXPECT_TRUE(MReplaceEnvironmentVars(text));
  return text;
}

}  // namespace

TEST(MReplaceEnvironmentVars, DefinedReferencesAreReplacedOthersStayAsWritten) {
  SetEnv("CU_ENV_DIR", "C:\\Temp");
  SetEnv("CU_ENV_X", "x");
  EXPECT_EQ(Expand("%CU_ENV_DIR%\\x"), "C:\\Temp\\x");
  EXPECT_EQ(Expand("a%CU_ENV_X%b%CU_ENV_X%%CU_ENV_X%"), "axbxx");
  EXPECT_EQ(Expand("no references"), "no references");
  EXPECT_EQ(Expand(""), "");

  // Unresolved or unpaired references stay as written.
  EXPECT_EQ(Expand("%CU_ENV_NOT_DEFINED%\\x"), "%CU_ENV_NOT_DEFINED%\\x");
  EXPECT_EQ(Expand("%CU_ENV_NOT_DEFINED%-%CU_ENV_X%"), "%CU_ENV_NOT_DEFINED%-x");
  EXPECT_EQ(Expand("100%"), "100%");
  EXPECT_EQ(Expand("50% of %CU_ENV_X%"), "50% of %CU_ENV_X%")
      << "the first '%' pairs with the next one";
  EXPECT_EQ(Expand("%%"), "%%");
  EXPECT_EQ(Expand("%CU_ENV_X"), "%CU_ENV_X");
}

TEST(MReplaceEnvironmentVars, LongResultsAreExpandedWhole) {
  const std::string value(5000, 'v');
  SetEnv("CU_ENV_LONG", value.c_str());
  EXPECT_EQ(Expand("%CU_ENV_LONG%\\end"), value + "\\end");
  // Right around the first buffer's limit of 4094 characters with the terminator.
  for (size_t size : {4092u, 4093u, 4094u, 4095u}) {
    const std::string exact(size - 1, 'e');
    SetEnv("CU_ENV_EDGE", exact.c_str());
    EXPECT_EQ(Expand("%CU_ENV_EDGE%"), exact) << size;
  }
}
