// CRC-32 against values every zlib-compatible tool agrees on (which also pin the bitwise
// reference), and against that reference at every length, alignment and piece size, so the fast
// paths are checked where their folding steps begin and end.
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

TEST(Crc32, AgreesWithKnownChecksumsAndTheDefinitionForEveryLengthAlignmentAndPieceSize) {
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
  for (std::size_t piece : {1u, 3u, 5u, 7u, 8u, 9u, 64u, 1000u}) {  // a running checksum
    Crc32 crc;
    for (std::size_t pos = 0; pos < data.size(); pos += piece)
      crc.Update(data.data() + pos, std::min(piece, data.size() - pos));
    EXPECT_EQ(BitwiseCrc(data), crc.Value()) << "piece size " << piece;
  }
}

}  // namespace
}  // namespace sim
