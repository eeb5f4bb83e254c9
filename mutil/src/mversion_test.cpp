// Version parsing against the documented examples and the separator rules, and comparison of
// records with texts.
#include "mversion.h"

#include <gtest/gtest.h>

#include <string>

// "major.minor.patch.build|suffix" of `text` parsed into `v`.
std::string Parsed(const char* text, VersionNumber v = VersionNumber()) {
  ParseVersion(&v, text);
  return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch) +
         "." + std::to_string(v.build) + "|" + v.suffix;
}

TEST(ParseVersion, FillsNumbersAndSuffixByTheSeparatorRules) {
  const std::pair<const char*, const char*> cases[] = {{"11.0.15", "11.0.15.0|"},
                                                       {"1.2.3.4", "1.2.3.4|"},
                                                       {"1.2.3-rc1", "1.2.3.0|rc1"},
                                                       {"1.2.3-rc.2", "1.2.3.0|rc.2"},
                                                       {"1.2.3.4-beta", "1.2.3.4|beta"},
                                                       {"1.2.3.4-b", "1.2.3.4|b"},
                                                       {"1-2-3", "1.2.3.0|"},
                                                       {"1.2", "1.2.0.0|"},
                                                       {"2.x.5", "2.0.5.0|"},
                                                       {"1..2--3", "1.2.3.0|"},
                                                       {".1.2.3", "1.2.3.0|"},
                                                       {"1.2.3.-rc", "1.2.3.0|rc"},
                                                       {"1.2.3-.rc", "1.2.3.0|"},
                                                       {"1.2.3.4--x", "1.2.3.4|-x"},
                                                       {"1.2.3.4.5.6", "1.2.3.4|5.6"},
                                                       {"1.2.3-rc-1.x", "1.2.3.0|rc-1.x"},
                                                       {"1.2.3.4.", "1.2.3.4|"},
                                                       {"", "0.0.0.0|"},
                                                       {"99999999999.-5", "2147483647.5.0.0|"}};
  for (const auto& [text, parsed] : cases)
    EXPECT_EQ(parsed, Parsed(text)) << text;
  // Fields the text does not have keep their values; no text changes nothing.
  VersionNumber v;
  v.patch = 7;
  v.build = 8;
  v.suffix = "old";
  EXPECT_EQ("3.4.7.8|old", Parsed("3.4", v));
  EXPECT_EQ("0.0.7.8|old", Parsed(nullptr, v));
}

TEST(VersionEquals, ComparesAllNumbersAndTheExactSuffix) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"1.2.3-rc1", "1.2.3-rc1", true},   {"1.2.3-rc1", "1.2.3", false},
      {"1.2.3-rc1", "1.2.3.0-rc1", true}, {"1.2.3-rc1", "1.2.3-RC1", false},
      {"11.0.15", "11.0.15.0", true},     {"11.0.15", "11-0-15", true},
      {"11.0.15", "11.0.16", false},      {"11.0.15", "11.0.15.1", false},
      {"11.0.15", "12.0.15", false},      {"11.0.15", "11.1.15", false}};
  for (const auto& [record, text, equal] : cases) {
    VersionNumber v;
    ParseVersion(&v, record);
    EXPECT_EQ(equal, VersionEquals(&v, text)) << record << " against " << text;
  }
  EXPECT_FALSE(VersionEquals(nullptr, "1"));
}
