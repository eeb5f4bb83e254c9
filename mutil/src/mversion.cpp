// Version parsing. The rules are positional rather than grammatical: three leading numeric
// fields, then one field that decides between a build number and a suffix. Anything behind that
// belongs to the suffix untouched, so "1.2.3.4-rc.2" keeps "rc.2" verbatim.
#include "mversion.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSeparator(char c) {
  return c == '.' || c == '-';
}

// The number at the start of a field, as strtol reads it, saturated to 32 bits as on the
// Windows target where long has 32 bits.
int32_t LeadingNumber(const char* field, const char* field_end) {
  const std::string copy(field, field_end);
  const long long value = std::strtoll(copy.c_str(), nullptr, 10);
  if (value > INT32_MAX)
    return INT32_MAX;
  if (value < INT32_MIN)
    return INT32_MIN;
  return static_cast<int32_t>(value);
}

const char* SkipSeparators(const char* p) {
  while (*p != '\0' && IsSeparator(*p))
    ++p;
  return p;
}

const char* FieldEnd(const char* p) {
  while (*p != '\0' && !IsSeparator(*p))
    ++p;
  return p;
}

// Field 4 decides the build and the suffix; see ParseVersion.
void ParseFourthField(VersionNumber* version, const char* text, const char* field) {
  if (field > text && field[-1] == '-') {
    version->build = 0;
    version->suffix = field;
    return;
  }
  const char* end = FieldEnd(field);
  version->build = LeadingNumber(field, end);
  version->suffix = (*end == '\0') ? std::string() : std::string(end + 1);
}

}  // namespace

void ParseVersion(VersionNumber* version, const char* text) {
  if (version == nullptr || text == nullptr)
    return;
  int32_t* const numbers[3] = {&version->major, &version->minor, &version->patch};
  const char* p = SkipSeparators(text);
  for (int index = 0; index < 3 && *p != '\0'; ++index) {
    const char* end = FieldEnd(p);
    *numbers[index] = LeadingNumber(p, end);
    p = SkipSeparators(end);
  }
  if (*p != '\0')
    ParseFourthField(version, text, p);
}

bool VersionEquals(const VersionNumber* version, const char* text) {
  if (version == nullptr)
    return false;
  VersionNumber other;
  ParseVersion(&other, text);
  return version->major == other.major && version->minor == other.minor &&
         version->patch == other.patch && version->build == other.build &&
         version->suffix == other.suffix;
}
