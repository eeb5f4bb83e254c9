// The command-line splitter and the option parser, as tables of texts and their results.
#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Tokens(std::string text) {
  CommandLine command_line;
  command_line.Tokenize(&text[0]);
  EXPECT_STREQ("", command_line.argv()[0]);
  EXPECT_EQ(nullptr, command_line.argv()[command_line.argc()]);
  return std::vector<std::string>(command_line.argv() + 1,
                                  command_line.argv() + command_line.argc());
}

TEST(Tokenize, SplitsAtBlanksOutsideQuotesAndUnquotesQuotedTokens) {
  using V = std::vector<std::string>;
  const struct {
    const char* text;
    V tokens;
  } cases[] = {
      {"", V{}},
      {"--dir C:\\x  --silent", V{"--dir", "C:\\x", "--silent"}},
      {" a", V{"", "a"}},  // the first token begins at the first character
      {"a\tb c ", V{"a\tb", "c"}},
      {"\"C:\\Program Files\\x\" --silent", V{"C:\\Program Files\\x", "--silent"}},
      {"x\"a b\"y z", V{"x\"a b\"y", "z"}},  // a quote inside a token stays in it
      {"\"a\"b c", V{"a", "c"}},             // the closing quote ends a quoted token's text
      {"\"open quote", V{"open quote"}},
      {"\"\" x", V{"", "x"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.tokens, Tokens(c.text)) << c.text;
}

TEST(Tokenize, TakesAtMostThirtyOneTokens) {
  std::string text;
  for (int i = 1; i <= 33; ++i)
    text += "t" + std::to_string(i) + " ";
  const std::vector<std::string> tokens = Tokens(text);
  ASSERT_EQ(31u, tokens.size());
  EXPECT_EQ("t31", tokens.back());
}

struct Parsed {
  ParseCode code;
  OptionValue file, host, silent, help;
};

Parsed Parse(std::vector<std::string> words) {
  Parsed parsed{};
  OptionSpec table[] = {{"--file", 1, &parsed.file},     {"--host", 1, &parsed.host},
                        {"--silent", 0, &parsed.silent}, {"--help", 0, &parsed.help},
                        {"/?", 0, &parsed.help},         {nullptr, 0, nullptr}};
  std::vector<char*> argv = {nullptr};
  for (std::string& word : words)
    argv.push_back(&word[0]);
  argv.push_back(nullptr);
  CommandLine command_line;
  command_line.Attach(static_cast<int>(argv.size()) - 1, argv.data(), table);
  parsed.code = command_line.Parse();
  return parsed;
}

TEST(Parse, ReportsTheFirstFaultWithItsCode) {
  const struct {
    std::vector<std::string> words;
    ParseCode code;
  } cases[] = {
      {{}, kParsed},
      {{"word", "/x", "--file", "a"}, kParsed},  // words without '-' are ignored
      {{"--bogus"}, kNoSuchOption},
      {{"--help", "-x"}, kNoSuchOption},
      {{"--file"}, kTooFewArguments},
      {{"--silent", "--file"}, kTooFewArguments},
      {{"--host", "--file", "x"}, kInvalidArgument},
      {{"--FILE", "x"}, kNoSuchOption},  // names are case-sensitive
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.code, Parse(c.words).code) << ::testing::PrintToString(c.words);
}

TEST(Parse, StoresValuesAsTheyStandAndTheLaterOneWins) {
  const Parsed parsed = Parse({"--file", " a.ini ", "--silent", "--file", "", "/?"});
  EXPECT_EQ(kParsed, parsed.code);
  EXPECT_EQ(OptionValue(""), parsed.file);
  EXPECT_EQ(OptionValue(""), parsed.silent);
  EXPECT_EQ(OptionValue(""), parsed.help);
  EXPECT_FALSE(parsed.host.has_value());
  EXPECT_EQ(OptionValue(" a.ini "), Parse({"--file", " a.ini "}).file);
}

}  // namespace
