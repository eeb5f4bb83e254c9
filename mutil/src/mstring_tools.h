// Small helpers for values read from INI documents: comment and blank removal, splitting,
// whole-string number conversion, printf into a std::string and the "firmware" to "bin" rename.
//
// Every function touches only its arguments, so all of them may be called from any thread at
// the same time as long as the arguments are not shared.
#pragma once

#include <string>
#include <vector>

#include "mformat_attr.h"

// Cuts a comment off `text`. Only one kind of marker is cut, tried in this order: "//" (when the
// text has at least 2 characters), then "/*", then ';'. Everything from the first marker of the
// chosen kind to the end is erased. There is no quoting: a "//" inside a value ends it there.
void StripComment(std::string& text);

// StripComment, then removes every white-space character (space, tab, LF, VT, FF, CR) anywhere
// in the text, inner ones included.
void RemoveCommentAndBlanks(std::string& text);

// Appends to `*tokens` each maximal run of characters of `text` that are not in `delimiters`.
// Runs of delimiters count as one; no empty token is ever produced. With an empty delimiter set
// a non-empty text is one token. `delimiters` and `tokens` must not be null.
void SplitString(const std::string& text, const char* delimiters, std::vector<std::string>* tokens);

// Converts `text` as a base-10 number (leading white space and a sign allowed) and stores it as
// a signed 32-bit value in `*value`, which is always written. Returns true only when the whole
// text was consumed; the empty text gives 0 and true.
bool StringToLong(const std::string& text, long* value);

// printf-style formatting into `*out`, of any length. Returns the formatted length, or -1 when
// the format cannot be applied; `*out` is then left unchanged.
int FormatString(std::string* out, const char* format, ...) M_PRINTF_FORMAT(2, 3);

// Replaces every "firmware" in `text` by "bin", left to right, continuing just behind each
// inserted "bin". Returns the number of replacements.
int ReplaceFirmwareWithBin(std::string& text);
