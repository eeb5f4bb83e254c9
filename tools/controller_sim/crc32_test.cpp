// CRC-32 against values every zlib-compatible tool agrees on (which also pin the bitwise
// reference), and against that reference at every length, alignment and piece size. The eight
// lower-case digits of the printed form are checked in the journal's lines.
#include "crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace sim {
namespace {

std::uint32_t CrcOf(const std::string& bytes) {
  Crc32 crc;
  crc.Update(bytes.data(), bytes.size());
  return crc.Value();
}

TEST(Crc32, MatchesKnownChecksums) {
  EXPECT_EQ(0x00000000u, CrcOf(""));
  EXPECT_EQ(0xcbf43926u, CrcOf("123456789"));
  EXPECT_EQ(0x414fa339u, CrcOf("The quick brown fox jumps over the lazy dog"));
  std::string all_bytes;
  for (int b = 0; b < 256; ++b)
    all_bytes += static_cast<char>(b);
  EXPECT_EQ(0x29058c73u, CrcOf(all_bytes));
}

// Bit by bit, straight from the definition: the reference for the fast paths.
std::uint32_t BitwiseCrc(const char* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= static_cast<unsigned char>(data[i]);
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

TEST(Crc32, FastPathsAgreeWithTheDefinitionForEveryLengthAlignmentAndPieceSize) {
  std::string data;
  for (int i = 0; i < 1200; ++i)
    data += static_cast<char>((i * 2654435761u) >> 11);
  // Lengths around the 16- and 64-byte steps of the folding code, at every offset within 16.
  for (std::size_t offset = 0; offset < 16; ++offset) {
    for (std::size_t length = 0; length + offset <= 1100; length += (length < 200 ? 1 : 37)) {
      Crc32 crc;
      crc.Update(data.data() + offset, length);
      ASSERT_EQ(BitwiseCrc(data.data() + offset, length), crc.Value())
          << "offset " << offset << " length " << length;
    }
  }
  // A running checksum fed in pieces of any size, so the folding code continues after odd starts.
  for (std::size_t piece : {1u, 3u, 5u, 7u, 8u, 9u, 64u, 1000u}) {
    Crc32 crc;
    for (std::size_t pos = 0; pos < data.size(); pos += piece)
      crc.Update(data.data() + pos, std::min(piece, data.size() - pos));
    EXPECT_EQ(BitwiseCrc(data.data(), data.size()), crc.Value()) << "piece size " << piece;
  }
}

}  // namespace
}  // namespace sim
