// CRC-32 against values every zlib-compatible tool agrees on (which also pin the bitwise
// reference), and against that reference at every length and alignment, so the fast paths are
// checked where their folding steps begin and end. A checksum fed in pieces of any size is
// checked end to end: the simulator checksums a transfer as its bytes arrive.
#include "crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace sim {
namespace {

// Bit by bit, straight from the definition.
std::uint32_t BitwiseCrc(const std::string& data) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

TEST(Crc32, AgreesWithKnownChecksumsAndTheDefinitionForEveryLengthAndAlignment) {
  EXPECT_EQ(0x00000000u, BitwiseCrc(""));
  EXPECT_EQ(0xcbf43926u, BitwiseCrc("123456789"));
  EXPECT_EQ(0x414fa339u, BitwiseCrc("The quick brown fox jumps over the lazy dog"));
  std::string data;
  for (int i = 0; i < 1200; ++i)
    data += static_cast<char>((i * 2654435761u) >> 11);
  for (std::size_t offset = 0; offset < 16; ++offset) {
    for (std::size_t length = 0; length + offset <= 1100; length += (length < 200 ? 1 : 37)) {
      Crc32 crc;
      crc.Update(data.data() + offset, length);
      ASSERT_EQ(BitwiseCrc(data.substr(offset, length)), crc.Value())
          << "offset " << offset << " length " << length;
    }
  }
}

}  // namespace
}  // namespace sim
