// CRC-32 in two ways: carry-less multiplication for long runs where the processor has it
// (crc32_clmul.cpp), and eight tables ("slicing by 8", eight bytes per step) for the rest. A
// transfer of hundreds of megabytes is checksummed while it streams in, so the checksum must keep
// pace with a loopback socket; one byte per step would not.
#include "crc32.h"

#include "crc32_clmul.h"

#include <array>
#include <cstdio>

namespace sim {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;  // 0x04C11DB7 bit-reversed
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

Tables MakeTables() {
  Tables t{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit)
      c = (c & 1u) ? (kPolynomial ^ (c >> 1)) : (c >> 1);
    t[0][n] = c;
  }
  // t[k][n] is the CRC of byte n followed by k zero bytes.
  for (std::uint32_t n = 0; n < 256; ++n)
    for (int k = 1; k < 8; ++k)
      t[k][n] = t[0][t[k - 1][n] & 0xFFu] ^ (t[k - 1][n] >> 8);
  return t;
}

const Tables& GetTables() {
  static const Tables tables = MakeTables();
  return tables;
}

// Little-endian load, independent of the host's byte order and alignment.
std::uint32_t Load32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

}  // namespace

void Crc32::Update(const void* data, std::size_t size) {
  const Tables& t = GetTables();
  const unsigned char* p = static_cast<const unsigned char*>(data);
  std::uint32_t c = state_;
  if (size >= 64 && Crc32ClmulAvailable()) {
    const std::size_t whole = size & ~std::size_t(15);
    c = Crc32ClmulUpdate(c, p, whole);
    p += whole;
    size -= whole;
  }
  for (; size >= 8; size -= 8, p += 8) {
    const std::uint32_t lo = c ^ Load32(p);
    const std::uint32_t hi = Load32(p + 4);
    c = t[7][lo & 0xFFu] ^ t[6][(lo >> 8) & 0xFFu] ^ t[5][(lo >> 16) & 0xFFu] ^ t[4][lo >> 24] ^
        t[3][hi & 0xFFu] ^ t[2][(hi >> 8) & 0xFFu] ^ t[1][(hi >> 16) & 0xFFu] ^ t[0][hi >> 24];
  }
  for (; size > 0; --size, ++p)
    c = t[0][(c ^ *p) & 0xFFu] ^ (c >> 8);
  state_ = c;
}

std::string FormatCrc32(std::uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(crc));
  return text;
}

}  // namespace sim
