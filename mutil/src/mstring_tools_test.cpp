// The value-cleaning, splitting, conversion and formatting helpers, as tables of cases.
#include "mstring_tools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Tokens = std::vector<std::string>;

TEST(StringTools, CommentsAndBlanksAreCutByTheirRules) {
  const struct {
    const char *text, *stripped, *cleaned;
  } cases[] = {
      {"x;y//z", "x;y", "x;y"},  // '//' wins over an earlier ';'
      {"x;y", "x", "x"},
      {"a;b/*c", "a;b", "a;b"},  // '/*' wins over ';'
      {"a/*b//c", "a/*b", "a/*b"},
      {"C://path/file", "C:", "C:"},  // no quoting: a path ends at '//'
      {"/", "/", "/"},
      {"", "", ""},
      {" tcpip ; default", " tcpip ", "tcpip"},
      {"a b\tc // x", "a b\tc ", "abc"},
      {"\ra\nb\vc\fd e\tf", "\ra\nb\vc\fd e\tf", "abcdef"},
      {"\xA0 x \xE4", "\xA0 x \xE4", "\xA0x\xE4"},  // bytes above 0x7F are never blanks
  };
  for (const auto& c : cases) {
    std::string stripped = c.text, cleaned = c.text;
    StripComment(stripped);
    RemoveCommentAndBlanks(cleaned);
    EXPECT_EQ(c.stripped, stripped) << c.text;
    EXPECT_EQ(c.cleaned, cleaned) << c.text;
  }
}

TEST(StringTools, SplitAppendsMaximalNonEmptyRuns) {
  const struct {
    const char *text, *delimiters;
    Tokens tokens;
  } cases[] = {
      {",a,,b,", ",", {"kept", "a", "b"}},
      {"", ",", {"kept"}},
      {",,,", ",", {"kept"}},
      {"1, 2;3", ", ;", {"kept", "1", "2", "3"}},
      {"whole text", "", {"kept", "whole text"}},
      {"", "", {"kept"}},
  };
  for (const auto& c : cases) {
    Tokens tokens{"kept"};
    SplitString(c.text, c.delimiters, &tokens);
    EXPECT_EQ(c.tokens, tokens) << c.text;
  }
}

TEST(StringTools, StringToLongIsTrueOnlyForAWholeNumberAndAlwaysWritesTheValue) {
  const struct {
    std::string text;
    bool whole;
    long value;
  } cases[] = {
      {"42", true, 42},
      {"-7", true, -7},
      {"  +8", true, 8},
      {"", true, 0},
      {"42 ", false, 42},
      {"12abc", false, 12},
      {"abc", false, 0},
      {" ", false, 0},
      {"-", false, 0},
      {std::string("5\0"
                   "6",
                   3),
       false, 5},
      {"2147483647", true, 2147483647L},
      {"99999999999", true, 2147483647L},
      {"-99999999999", true, -2147483647L - 1},
  };
  for (const auto& c : cases) {
    long value = 99;
    EXPECT_EQ(c.whole, StringToLong(c.text, &value)) << c.text;
    EXPECT_EQ(c.value, value) << c.text;
  }
}

TEST(StringTools, FormatStringTakesAnyLengthAndReportsIt) {
  std::string out = "old";
  EXPECT_EQ(9, FormatString(&out, "%s=%d", "value", 123));
  EXPECT_EQ("value=123", out);
  for (int length : {0, 1000, 1021, 1022, 1023, 1024, 1025, 5000}) {
    const std::string text(static_cast<size_t>(length), 'x');
    EXPECT_EQ(length + 2, FormatString(&out, "[%s]", text.c_str()));
    EXPECT_EQ("[" + text + "]", out);
  }
}

TEST(StringTools, ReplaceFirmwareWithBinCountsEveryOccurrence) {
  const struct {
    const char *text, *result;
    int count;
  } cases[] = {
      {"x_firmware.firmware.config", "x_bin.bin.config", 2},
      {"firmwarefirmware", "binbin", 2},
      {"Firmware.firmwar", "Firmware.firmwar", 0},  // case-sensitive, no partial match
      {"firmfirmwareware", "firmbinware", 1},       // the replacement forms no new occurrence
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(c.count, ReplaceFirmwareWithBin(text)) << c.text;
    EXPECT_EQ(c.result, text);
  }
}

}  // namespace
