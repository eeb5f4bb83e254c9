// Value cleaning, splitting, number conversion and formatting for texts read from INI documents
// and from the controller. All functions work on 8-bit strings and own no state.
#include "mstring_tools.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// The white-space set of the C locale's isspace, spelt out so that the result never depends on
// the process locale or on the sign of a char.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A long is 32 bits on the Windows target and 64 bits on POSIX; strtol saturates at the range
// of its long, so clamping a 64-bit result reproduces the 32-bit saturation on both.
long ClampToInt32(long long value) {
  if (value > INT32_MAX)
    return INT32_MAX;
  if (value < INT32_MIN)
    return INT32_MIN;
  return static_cast<long>(value);
}

}  // namespace

void StripComment(std::string& text) {
  if (text.size() >= 2) {
    const std::string::size_type slashes = text.find("//");
    if (slashes != std::string::npos) {
      text.erase(slashes);
      return;
    }
  }
  const std::string::size_type block = text.find("/*");
  if (block != std::string::npos) {
    text.erase(block);
    return;
  }
  const std::string::size_type semicolon = text.find(';');
  if (semicolon != std::string::npos)
    text.erase(semicolon);
}

void RemoveCommentAndBlanks(std::string& text) {
  StripComment(text);
  std::string::size_type kept = 0;
  for (char c : text) {
    if (!IsBlank(c))
      text[kept++] = c;
  }
  text.resize(kept);
}

void SplitString(const std::string& text, const char* delimiters,
                 std::vector<std::string>* tokens) {
  // The delimiter set is taken as a byte set so that a NUL inside `text` is an ordinary
  // character rather than the end of the set.
  const std::string set(delimiters);
  std::string::size_type pos = 0;
  while (pos < text.size()) {
    const std::string::size_type start = text.find_first_not_of(set, pos);
    if (start == std::string::npos)
      break;
    std::string::size_type end = text.find_first_of(set, start);
    if (end == std::string::npos)
      end = text.size();
    tokens->push_back(text.substr(start, end - start));
    pos = end;
  }
}

bool StringToLong(const std::string& text, long* value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  *value = ClampToInt32(std::strtoll(begin, &end, 10));
  // The empty text is consumed entirely by definition; an embedded NUL stops strtoll early
  // and so counts as trailing garbage.
  return end == begin + text.size();
}

int FormatString(std::string* out, const char* format, ...) {
  char local[1024];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(local, sizeof local, format, args);
  if (length < 0) {
    // Some runtimes report failure instead of the needed length on truncation: ask explicitly.
    va_list probe;
    va_copy(probe, again);
    length = std::vsnprintf(nullptr, 0, format, probe);
    va_end(probe);
  }
  if (length >= 0 && length < static_cast<int>(sizeof local)) {
    out->assign(local, static_cast<std::string::size_type>(length));
  } else if (length >= 0) {
    std::unique_ptr<char[]> heap(new char[static_cast<size_t>(length) + 1]);
    std::vsnprintf(heap.get(), static_cast<size_t>(length) + 1, format, again);
    out->assign(heap.get(), static_cast<std::string::size_type>(length));
  }
  va_end(again);
  va_end(args);
  return length < 0 ? -1 : length;
}

int ReplaceFirmwareWithBin(std::string& text) {
  static const char kFrom[] = "firmware";
  static const char kTo[] = "bin";
  int count = 0;
  std::string::size_type pos = text.find(kFrom);
  while (pos != std::string::npos) {
    text.replace(pos, sizeof kFrom - 1, kTo);
    ++count;
    // Continue behind the inserted text: "bin" can never start a new "firmware" with what
    // precedes it, so nothing is rescanned.
    pos = text.find(kFrom, pos + sizeof kTo - 1);
  }
  return count;
}
