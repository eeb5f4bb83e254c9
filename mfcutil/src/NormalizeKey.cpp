// The folding works on bytes, never on the locale: .loc files and keys are Windows-1252 text on
// every platform.
#include "NormalizeKey.h"

namespace {

char FoldByte(unsigned char byte) {
  switch (byte) {
    case 0xE4:
      return 'a';
    case 0xFC:
      return 'u';
    case 0xF6:
      return 'o';
    case 0xC4:
      return 'A';
    case 0xDC:
      return 'U';
    case 0xD6:
      return 'O';
    case 0xDF:
      return 's';
    case 0xB2:
      return '2';
    case 0xB3:
      return '3';
    default:
      return static_cast<char>(byte);
  }
}

}  // namespace

std::string NormalizeKey(const std::string& key) {
  std::string folded(key);
  for (char& c : folded)
    c = FoldByte(static_cast<unsigned char>(c));
  return folded;
}
