// The command line of the program: the splitter that turns the process entry's command-line text
// into an argument vector, the option table and its parser.
//
// Threads: used by the main thread only.
#pragma once

#include <optional>
#include <string>

// Where the parser stores what it found for an option: absent until the option is seen; then the
// argument text, or a present empty text for an option without argument.
using OptionValue = std::optional<std::string>;

// One row of the option table. A table ends with a row whose name is null. Several rows may share
// one value (the three help words do).
struct OptionSpec {
  const char* name;    // compared exactly, whole word, case-sensitive
  int argumentCount;   // 0 or 1
  OptionValue* value;  // where a match is stored; not owned
};

// Parse results.
enum ParseCode {
  kParsed = 0,
  kNoSuchOption = 1,     // a word beginning with '-' that no row names
  kTooFewArguments = 2,  // an option that takes an argument stands last
  kInvalidArgument = 3,  // the argument of an option begins with '-'
};

class CommandLine {
 public:
  // The most tokens Tokenize takes from a command-line text.
  static constexpr int kMaxTokens = 31;

  CommandLine() = default;
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  // Splits `text` in place (blanks outside double quotes end a token; a token that begins with a
  // quote loses its quotes) and makes the argument vector: element 0 is an empty text, the
  // tokens follow, then a null entry. At most kMaxTokens tokens are taken. `text` must outlive
  // the vector; null or empty gives argc 1.
  void Tokenize(char* text);

  // Stores the vector and the table for Parse. The vector must end with a null entry behind
  // element argc - 1; Parse sets every element it consumes to null.
  void Attach(int argc, char** argv, OptionSpec* table);

  // Matches the attached arguments against the table and stores the values. Stops at the first
  // fault with its code; words that do not begin with '-' and match no option are ignored.
  ParseCode Parse();

  int argc() const { return argc_; }
  char** argv() const { return argv_; }

 private:
  void BeginToken(char* at, bool* closing_quote_pending);
  const OptionSpec* Find(const char* word) const;

  int argc_ = 0;
  char** argv_ = nullptr;
  OptionSpec* table_ = nullptr;
  char empty_[1] = {'\0'};
  char* tokens_[kMaxTokens + 2] = {};  // element 0, the tokens and the null entry
};
