// Version parsing against the documented examples and the separator rules, and comparison of
// records with texts.
#include "mversion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "major.minor.patch.build|suffix" of the record.
std::string Shown(const VersionNumber& v) {
  return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch) +
         "." + std::to_string(v.build) + "|" + v.suffix;
}

TEST(ParseVersion, FillsNumbersAndSuffixByTheSeparatorRules) {
  const struct {
    const char *text, *shown;
  } cases[] = {
      {"11.0.15", "11.0.15.0|"},
      {"1.2.3.4", "1.2.3.4|"},
      {"1.2.3-rc1", "1.2.3.0|rc1"},
      {"1.2.3-rc.2", "1.2.3.0|rc.2"},
      {"1.2.3.4-beta", "1.2.3.4|beta"},
      {"1.2.3.4-b", "1.2.3.4|b"},
      {"1-2-3", "1.2.3.0|"},
      {"1.2", "1.2.0.0|"},
      {"2.x.5", "2.0.5.0|"},
      {"1..2--3", "1.2.3.0|"},  // runs are one separator
      {".1.2.3", "1.2.3.0|"},
      {"1.2.3.-rc", "1.2.3.0|rc"},  // the character before
      {"1.2.3-.rc", "1.2.3.0|"},
      {"1.2.3.4--x", "1.2.3.4|-x"},  // field 4 decides
      {"1.2.3.4.5.6", "1.2.3.4|5.6"},
      {"1.2.3-rc-1.x", "1.2.3.0|rc-1.x"},
      {"1.2.3.4.", "1.2.3.4|"},
      {"", "0.0.0.0|"},
      {"99999999999.-5", "2147483647.5.0.0|"},
  };
  for (const auto& c : cases) {
    VersionNumber v;
    ParseVersion(&v, c.text);
    EXPECT_EQ(c.shown, Shown(v)) << c.text;
  }
  // Fields the text does not have keep their values; no text changes nothing.
  VersionNumber v;
  v.patch = 7;
  v.build = 8;
  v.suffix = "old";
  ParseVersion(&v, "3.4");
  EXPECT_EQ("3.4.7.8|old", Shown(v));
  ParseVersion(&v, nullptr);
  EXPECT_EQ("3.4.7.8|old", Shown(v));
}

TEST(VersionEquals, ComparesAllNumbersAndTheExactSuffix) {
  const struct {
    const char *record, *text;
    bool equal;
  } cases[] = {
      {"1.2.3-rc1", "1.2.3-rc1", true},   {"1.2.3-rc1", "1.2.3", false},
      {"1.2.3-rc1", "1.2.3.0-rc1", true}, {"1.2.3-rc1", "1.2.3-RC1", false},
      {"11.0.15", "11.0.15.0", true},     {"11.0.15", "11-0-15", true},
      {"11.0.15", "11.0.16", false},      {"11.0.15", "11.0.15.1", false},
      {"11.0.15", "12.0.15", false},      {"11.0.15", "11.1.15", false},
  };
  for (const auto& c : cases) {
    VersionNumber v;
    ParseVersion(&v, c.record);
    EXPECT_EQ(c.equal, VersionEquals(&v, c.text)) << c.record << " against " << c.text;
  }
  EXPECT_FALSE(VersionEquals(nullptr, "1"));
}

}  // namespace
