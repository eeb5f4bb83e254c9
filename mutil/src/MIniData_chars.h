// Character classes of the INI syntax, shared by the parser, the editors and the sections.
// A blank is a space or a tab, nothing else.
#pragma once

#include <cstddef>
#include <string_view>

namespace mini_data_chars {

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// A line whose first non-blank character is one of these is a comment.
inline bool IsCommentChar(char c) {
  return c == '#' || c == '*' || c == '/' || c == ';';
}

inline size_t FirstNonBlank(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first]))
    ++first;
  return first;
}

inline std::string_view TrimTrailingBlanks(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1]))
    --end;
  return text.substr(0, end);
}

}  // namespace mini_data_chars
