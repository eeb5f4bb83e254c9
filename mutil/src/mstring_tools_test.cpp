// Behaviour of the value-cleaning, splitting, conversion and formatting helpers.
#include "mstring_tools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Stripped(std::string text) {
  StripComment(text);
  return text;
}

std::string Cleaned(std::string text) {
  RemoveCommentAndBlanks(text);
  return text;
}

std::vector<std::string> Split(const std::string& text, const char* delimiters) {
  std::vector<std::string> tokens;
  SplitString(text, delimiters, &tokens);
  return tokens;
}

using Tokens = std::vector<std::string>;

TEST(StripComment, CutsOnlyTheFirstMarkerKindInPriorityOrder) {
  EXPECT_EQ("x;y", Stripped("x;y//z"));  // '//' wins over an earlier ';'
  EXPECT_EQ("x", Stripped("x;y"));
  EXPECT_EQ("a;b", Stripped("a;b/*c"));  // '/*' wins over ';'
  EXPECT_EQ("a/*b", Stripped("a/*b//c"));
  EXPECT_EQ("C:", Stripped("C://path/file"));  // no quoting: a path ends at '//'
  EXPECT_EQ("", Stripped("//all"));
  EXPECT_EQ("", Stripped(";"));
  EXPECT_EQ("/", Stripped("/"));
  EXPECT_EQ("plain value", Stripped("plain value"));
  EXPECT_EQ("", Stripped(""));
}

TEST(RemoveCommentAndBlanks, RemovesEveryWhiteSpaceAfterTheComment) {
  EXPECT_EQ("tcpip", Cleaned(" tcpip ; default"));
  EXPECT_EQ("abc", Cleaned("a b\tc // x"));
  EXPECT_EQ("abcdef", Cleaned("\ra\nb\vc\fd e\tf"));
  EXPECT_EQ("", Cleaned(" \t \r\n"));
  // Bytes above 0x7F are text, never blanks, whatever the sign of char.
  EXPECT_EQ("\xA0x\xE4", Cleaned("\xA0 x \xE4"));
}

TEST(SplitString, ProducesMaximalNonEmptyRuns) {
  EXPECT_EQ((Tokens{"a", "b"}), Split(",a,,b,", ","));
  EXPECT_EQ(Tokens{}, Split("", ","));
  EXPECT_EQ(Tokens{}, Split(",,,", ","));
  EXPECT_EQ((Tokens{"1", "2", "3"}), Split("1, 2;3", ", ;"));
  EXPECT_EQ(Tokens{"whole text"}, Split("whole text", ""));
  EXPECT_EQ(Tokens{}, Split("", ""));
}

TEST(SplitString, AppendsToExistingTokens) {
  Tokens tokens{"kept"};
  SplitString("x y", " ", &tokens);
  EXPECT_EQ((Tokens{"kept", "x", "y"}), tokens);
}

TEST(StringToLong, TrueOnlyWhenTheWholeTextIsANumber) {
  long value = 99;
  EXPECT_TRUE(StringToLong("42", &value));
  EXPECT_EQ(42, value);
  EXPECT_TRUE(StringToLong("-7", &value));
  EXPECT_EQ(-7, value);
  EXPECT_TRUE(StringToLong("  +8", &value));
  EXPECT_EQ(8, value);
  EXPECT_TRUE(StringToLong("", &value));
  EXPECT_EQ(0, value);
}

TEST(StringToLong, TrailingCharactersFailButTheValueIsStillWritten) {
  long value = 99;
  EXPECT_FALSE(StringToLong("42 ", &value));
  EXPECT_EQ(42, value);
  EXPECT_FALSE(StringToLong("12abc", &value));
  EXPECT_EQ(12, value);
  value = 99;
  EXPECT_FALSE(StringToLong("abc", &value));
  EXPECT_EQ(0, value);
  EXPECT_FALSE(StringToLong(" ", &value));
  EXPECT_FALSE(StringToLong("-", &value));
  EXPECT_FALSE(StringToLong(std::string("5\0"
                                        "6",
                                        3),
                            &value));
  EXPECT_EQ(5, value);
}

TEST(StringToLong, SaturatesToThirtyTwoBits) {
  long value = 0;
  EXPECT_TRUE(StringToLong("2147483647", &value));
  EXPECT_EQ(2147483647L, value);
  EXPECT_TRUE(StringToLong("99999999999", &value));
  EXPECT_EQ(2147483647L, value);
  EXPECT_TRUE(StringToLong("-99999999999", &value));
  EXPECT_EQ(-2147483647L - 1, value);
}

TEST(FormatString, FormatsAnyLengthAndReportsIt) {
  std::string out = "old";
  EXPECT_EQ(9, FormatString(&out, "%s=%d", "value", 123));
  EXPECT_EQ("value=123", out);
  EXPECT_EQ(0, FormatString(&out, "%s", ""));
  EXPECT_EQ("", out);

  // Around the size of the first buffer: 1023 fits it, 1024 and more take the second pass.
  for (int length : {1023, 1024, 1025, 5000}) {
    const std::string text(static_cast<size_t>(length), 'x');
    EXPECT_EQ(length + 2, FormatString(&out, "[%s]", text.c_str()));
    EXPECT_EQ("[" + text + "]", out);
  }
}

TEST(ReplaceFirmwareWithBin, ReplacesEveryOccurrenceAndCounts) {
  std::string text = "x_firmware.firmware.config";
  EXPECT_EQ(2, ReplaceFirmwareWithBin(text));
  EXPECT_EQ("x_bin.bin.config", text);

  text = "firmwarefirmware";
  EXPECT_EQ(2, ReplaceFirmwareWithBin(text));
  EXPECT_EQ("binbin", text);

  text = "Firmware.firmwar";  // case-sensitive, no partial match
  EXPECT_EQ(0, ReplaceFirmwareWithBin(text));
  EXPECT_EQ("Firmware.firmwar", text);

  text = "firmfirmwareware";  // the replacement does not form a new occurrence
  EXPECT_EQ(1, ReplaceFirmwareWithBin(text));
  EXPECT_EQ("firmbinware", text);
}

}  // namespace
