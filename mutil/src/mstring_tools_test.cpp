// The value-cleaning, splitting, conversion and formatting helpers, as tables of cases.
#include "mstring_tools.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace std::string_literals;

TEST(StringTools, CommentsAndBlanksAreCutByTheirRules) {
  // text -> "StripComment|RemoveCommentAndBlanks"
  const std::pair<std::string, std::string> cases[] = {
      {"x;y//z", "x;y|x;y"},  // '//' wins over an earlier ';'
      {"x;y", "x|x"},
      {"a;b/*c", "a;b|a;b"},  // '/*' wins over ';'
      {"a/*b//c", "a/*b|a/*b"},
      {"C://path/file", "C:|C:"},  // no quoting
      {"/", "/|/"},
      {"", "|"},
      {" tcpip ; default", " tcpip |tcpip"},
      {"a b\tc // x", "a b\tc |abc"},
      {"\ra\nb\vc\fd e\tf", "\ra\nb\vc\fd e\tf|abcdef"},
      {"\xA0 x \xE4", "\xA0 x \xE4|\xA0x\xE4"}};  // bytes above 0x7F are never blanks
  for (const auto& [text, cut] : cases) {
    std::string stripped = text, cleaned = text;
    StripComment(stripped);
    RemoveCommentAndBlanks(cleaned);
    EXPECT_EQ(cut, stripped + "|" + cleaned) << text;
  }
}

TEST(StringTools, SplitAppendsMaximalNonEmptyRuns) {
  // text, delimiters -> the tokens after a first one that was there before, joined with '|'
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {",a,,b,", ",", "kept|a|b"},
      {"", ",", "kept"},
      {",,,", ",", "kept"},
      {"1, 2;3", ", ;", "kept|1|2|3"},
      {"whole text", "", "kept|whole text"},
      {"", "", "kept"}};
  for (const auto& [text, delimiters, joined] : cases) {
    std::vector<std::string> tokens{"kept"};
    SplitString(text, delimiters, &tokens);
    std::string all = tokens[0];
    for (size_t i = 1; i < tokens.size(); ++i)
      all += "|" + tokens[i];
    EXPECT_EQ(joined, all) << text;
  }
}

TEST(StringTools, StringToLongIsTrueOnlyForAWholeNumberAndAlwaysWritesTheValue) {
  // text -> "whole value"
  const std::pair<std::string, std::string> cases[] = {{"42", "1 42"},
                                                       {"-7", "1 -7"},
                                                       {"  +8", "1 8"},
                                                       {"", "1 0"},
                                                       {"42 ", "0 42"},
                                                       {"12abc", "0 12"},
                                                       {"abc", "0 0"},
                                                       {" ", "0 0"},
                                                       {"-", "0 0"},
                                                       {"5\0"
                                                        "6"s,
                                                        "0 5"},
                                                       {"2147483647", "1 2147483647"},
                                                       {"99999999999", "1 2147483647"},
                                                       {"-99999999999", "1 -2147483648"}};
  for (const auto& [text, result] : cases) {
    long value = 99;
    const bool whole = StringToLong(text, &value);
    EXPECT_EQ(result, std::to_string(whole) + " " + std::to_string(value)) << text;
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
  const std::pair<const char*, const char*> cases[] = {
      {"x_firmware.firmware.config", "2 x_bin.bin.config"},
      {"firmwarefirmware", "2 binbin"},
      {"Firmware.firmwar", "0 Firmware.firmwar"},  // case-sensitive, no partial match
      {"firmfirmwareware", "1 firmbinware"}};      // the replacement forms no new occurrence
  for (const auto& [text, result] : cases) {
    std::string replaced = text;
    const int count = ReplaceFirmwareWithBin(replaced);
    EXPECT_EQ(result, std::to_string(count) + " " + replaced);
  }
}
