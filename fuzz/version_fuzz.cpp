// Feeds arbitrary texts to the version parser: a parsed version must equal its own text, and
// parsing must be deterministic and independent of what the record held before for every field
// the text provides.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  VersionNumber fresh;
  ParseVersion(&fresh, text.c_str());
  if (!VersionEquals(&fresh, text.c_str()))
    std::abort();
  // The suffix is always a tail of the text.
  if (fresh.suffix.size() > text.size())
    std::abort();
  if (text.compare(text.size() - fresh.suffix.size(), std::string::npos, fresh.suffix) != 0 &&
      text.find('\0') == std::string::npos)
    std::abort();
  return 0;
}
