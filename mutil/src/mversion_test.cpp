// Version parsing against the documented examples, and comparison of records with texts.
#include "mversion.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
  const char* text;
  int32_t major, minor, patch, build;
  const char* suffix;
};

void ExpectParsed(const Expected& e) {
  VersionNumber v;
  ParseVersion(&v, e.text);
  EXPECT_EQ(e.major, v.major) << e.text;
  EXPECT_EQ(e.minor, v.minor) << e.text;
  EXPECT_EQ(e.patch, v.patch) << e.text;
  EXPECT_EQ(e.build, v.build) << e.text;
  EXPECT_EQ(e.suffix, v.suffix) << e.text;
}

TEST(ParseVersion, DocumentedExamples) {
  const Expected cases[] = {
      {"11.0.15", 11, 0, 15, 0, ""},
      {"1.2.3.4", 1, 2, 3, 4, ""},
      {"1.2.3-rc1", 1, 2, 3, 0, "rc1"},
      {"1.2.3-rc.2", 1, 2, 3, 0, "rc.2"},
      {"1.2.3.4-beta", 1, 2, 3, 4, "beta"},
      {"1.2.3.4-b", 1, 2, 3, 4, "b"},
      {"1-2-3", 1, 2, 3, 0, ""},
      {"1.2", 1, 2, 0, 0, ""},
      {"2.x.5", 2, 0, 5, 0, ""},
  };
  for (const Expected& e : cases)
    ExpectParsed(e);
}

TEST(ParseVersion, SeparatorRunsAndTheFourthField) {
  const Expected cases[] = {
      {"1..2--3", 1, 2, 3, 0, ""},             // runs count as one separator
      {".1.2.3", 1, 2, 3, 0, ""},              // leading separators produce no field
      {"1.2.3.-rc", 1, 2, 3, 0, "rc"},         // the character right before field 4 decides
      {"1.2.3-.rc", 1, 2, 3, 0, ""},           // '.' before field 4: "rc" is a build field
      {"1.2.3.4--x", 1, 2, 3, 4, "-x"},        // only one separator character is dropped
      {"1.2.3.4.5.6", 1, 2, 3, 4, "5.6"},      // later fields belong to the suffix
      {"1.2.3-rc-1.x", 1, 2, 3, 0, "rc-1.x"},  // suffix keeps its separators
      {"1.2.3.4.", 1, 2, 3, 4, ""},
      {"", 0, 0, 0, 0, ""},
      {"99999999999.-5", 2147483647, 5, 0, 0, ""},
  };
  for (const Expected& e : cases)
    ExpectParsed(e);
}

TEST(ParseVersion, LeavesFieldsTheTextDoesNotHave) {
  VersionNumber v;
  v.patch = 7;
  v.build = 8;
  v.suffix = "old";
  ParseVersion(&v, "3.4");
  EXPECT_EQ(3, v.major);
  EXPECT_EQ(4, v.minor);
  EXPECT_EQ(7, v.patch);
  EXPECT_EQ(8, v.build);
  EXPECT_EQ("old", v.suffix);
  ParseVersion(&v, nullptr);  // no text, no change
  EXPECT_EQ(3, v.major);
}

TEST(VersionEquals, ComparesAllNumbersAndTheExactSuffix) {
  VersionNumber rc;
  ParseVersion(&rc, "1.2.3-rc1");
  EXPECT_TRUE(VersionEquals(&rc, "1.2.3-rc1"));
  EXPECT_FALSE(VersionEquals(&rc, "1.2.3"));
  EXPECT_TRUE(VersionEquals(&rc, "1.2.3.0-rc1"));
  EXPECT_FALSE(VersionEquals(&rc, "1.2.3-RC1"));

  VersionNumber plain;
  ParseVersion(&plain, "11.0.15");
  EXPECT_TRUE(VersionEquals(&plain, "11.0.15.0"));
  EXPECT_TRUE(VersionEquals(&plain, "11-0-15"));
  EXPECT_FALSE(VersionEquals(&plain, "11.0.16"));
  EXPECT_FALSE(VersionEquals(&plain, "11.0.15.1"));
  EXPECT_FALSE(VersionEquals(&plain, "12.0.15"));
  EXPECT_FALSE(VersionEquals(&plain, "11.1.15"));
}

}  // namespace
