// Feeds arbitrary bytes to the value-cleaning helpers and checks what they promise: comments
// only shorten, no blank survives RemoveCommentAndBlanks, tokens are non-empty and free of
// delimiters, and no "firmware" is left after the rename.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "mstring_tools.h"

namespace {

void Check(bool condition) {
  if (!condition)
    std::abort();
}

void CheckComments(const std::string& input) {
  std::string stripped = input;
  StripComment(stripped);
  Check(stripped.size() <= input.size() && input.compare(0, stripped.size(), stripped) == 0);
  std::string cleaned = input;
  RemoveCommentAndBlanks(cleaned);
  Check(cleaned.find_first_of(" \t\n\v\f\r") == std::string::npos);
  Check(cleaned.size() <= stripped.size());
}

void CheckSplit(const std::string& input, const std::string& delimiters) {
  std::vector<std::string> tokens;
  SplitString(input, delimiters.c_str(), &tokens);
  size_t total = 0;
  for (const std::string& token : tokens) {
    Check(!token.empty());
    Check(token.find_first_of(delimiters.c_str()) == std::string::npos);
    total += token.size();
  }
  Check(total <= input.size());
}

void CheckNumberAndRename(const std::string& input) {
  long value = 0;
  if (StringToLong(input, &value))
    Check(value >= INT32_MIN && value <= INT32_MAX);
  std::string renamed = input;
  const int count = ReplaceFirmwareWithBin(renamed);
  Check(count >= 0);
  Check(renamed.size() == input.size() - 5 * static_cast<size_t>(count));
  // "bin" shares no letter with a possible start or end of "firmware" across it, so no
  // occurrence can survive or be formed by the rename.
  Check(renamed.find("firmware") == std::string::npos);
  Check(count > 0 || renamed == input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte chooses how many of the following bytes form the delimiter set.
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t delimiter_count = size > 0 ? data[0] % 4 : 0;
  const size_t head = size > 0 ? 1 + delimiter_count : 0;
  std::string delimiters = all.substr(size > 0 ? 1 : 0, delimiter_count);
  delimiters = delimiters.substr(0, delimiters.find('\0'));
  const std::string input = head <= all.size() ? all.substr(head) : std::string();
  CheckComments(input);
  CheckSplit(input, delimiters);
  CheckNumberAndRename(input);
  return 0;
}
