// Localized texts as printf formats, guarded against translations that do not fit the call.
#include "localized_format.h"

#include "Localize.h"
#include "errtrace.h"
#include "mstring_tools.h"

bool IsTextFormatFor(const std::string& format, int texts) {
  int conversions = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%')
      continue;
    const char next = i + 1 < format.size() ? format[i + 1] : '\0';
    if (next == 's')
      ++conversions;
    else if (next != '%')
      return false;
    ++i;
  }
  // A NUL inside the text would end printf's format early, which is harmless; the count above
  // may then only be too high, never too low.
  return conversions <= texts;
}

std::string FormatLocalizedText(const char* key, int texts, const std::string& first,
                                const std::string& second, const std::string& third) {
  const std::string format = GetLocalizedText(key);
  if (!IsTextFormatFor(format, texts)) {
    MERRLOG("%s(): the text of \"%s\" is no format for %d texts; shown unformatted",
            "FormatLocalizedText", key, texts);
    return format;
  }
  std::string text;
  if (FormatString(&text, format.c_str(), first.c_str(), second.c_str(), third.c_str()) < 0)
    return format;
  return text;
}
