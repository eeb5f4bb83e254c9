// Version texts of controller components and update files: parsing into four numbers and a
// suffix, and comparison of a parsed record with a text.
//
// Pure functions on their arguments; safe from any thread.
#pragma once

#include <cstdint>
#include <string>

// A parsed version. A fresh record is all zero with an empty suffix; the parser fills only what
// the text provides.
struct VersionNumber {
  int32_t major = 0;
  int32_t minor = 0;
  int32_t patch = 0;
  int32_t build = 0;
  std::string suffix;
};

// Parses `text` into `*version`. Fields are separated by runs of '.' and '-'. Fields 1 to 3 give
// major, minor and patch (the number at the start of the field, 0 when there is none). A fourth
// field ends the parse: after a '-' it is the suffix (with the rest of the text, build 0);
// otherwise its number is the build and the text behind its terminating separator character is
// the suffix. Values the text does not provide are left as they were. A null text changes nothing.
void ParseVersion(VersionNumber* version, const char* text);

// Parses `text` into a fresh record and compares all four numbers and the suffix (exact,
// case-sensitive) with `*version`. False for a null record.
bool VersionEquals(const VersionNumber* version, const char* text);
