// Splitting the entry's command-line text and parsing the options.
//
// The splitter works in place like the C runtime's own, but simpler: only the blank separates,
// tabs are ordinary characters, and a quote only toggles whether blanks separate. A token that
// begins with a quote is the quoted text: its opening quote is skipped and its closing quote
// becomes the terminator.
#include "command_line.h"

#include <cstring>

void CommandLine::BeginToken(char* at, bool* closing_quote_pending) {
  *closing_quote_pending = *at == '"';
  tokens_[argc_++] = *closing_quote_pending ? at + 1 : at;
}

void CommandLine::Tokenize(char* text) {
  argc_ = 1;
  tokens_[0] = empty_;
  argv_ = tokens_;
  if (text == nullptr || *text == '\0') {
    tokens_[1] = nullptr;
    return;
  }
  bool in_quotes = false;
  bool closing_quote_pending = false;
  BeginToken(text, &closing_quote_pending);
  char* p = text;
  // A token that begins with a quote starts in quotes: its first quote is its opening one.
  in_quotes = closing_quote_pending;
  if (closing_quote_pending)
    ++p;
  while (*p != '\0') {
    if (*p == '"') {
      if (in_quotes && closing_quote_pending) {
        *p = '\0';  // the quote that closes a quoted token ends its text
        closing_quote_pending = false;
      }
      in_quotes = !in_quotes;
      ++p;
      continue;
    }
    if (*p != ' ' || in_quotes) {
      ++p;
      continue;
    }
    *p++ = '\0';
    if (argc_ - 1 == kMaxTokens)
      break;  // the rest of the text is ignored
    while (*p == ' ')
      ++p;
    if (*p == '\0')
      break;
    BeginToken(p, &closing_quote_pending);
    in_quotes = closing_quote_pending;
    if (closing_quote_pending)
      ++p;
  }
  tokens_[argc_] = nullptr;
}

void CommandLine::Attach(int argc, char** argv, OptionSpec* table) {
  argc_ = argc;
  argv_ = argv;
  table_ = table;
}

const OptionSpec* CommandLine::Find(const char* word) const {
  for (const OptionSpec* row = table_; row->name != nullptr; ++row)
    if (std::strcmp(row->name, word) == 0)
      return row;
  return nullptr;
}

ParseCode CommandLine::Parse() {
  if (argc_ < 2)
    return kParsed;
  for (int i = 1; i < argc_; ++i) {
    const char* word = argv_[i];
    const OptionSpec* option = word != nullptr ? Find(word) : nullptr;
    if (option == nullptr) {
      if (word != nullptr && word[0] == '-')
        return kNoSuchOption;
      continue;  // any other word is ignored
    }
    argv_[i] = nullptr;
    if (option->argumentCount == 0) {
      *option->value = std::string();
      continue;
    }
    const char* argument = argv_[i + 1];
    if (argument != nullptr && argument[0] == '-')
      return kInvalidArgument;
    // The element behind the last argument is the null entry: an option that stands last gets
    // no text, and the count check below reports it.
    if (argument != nullptr)
      *option->value = std::string(argument);
    argv_[i + 1] = nullptr;
    i += option->argumentCount;
    if (i >= argc_)
      return kTooFewArguments;
  }
  return kParsed;
}
