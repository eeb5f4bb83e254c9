// Payloads come from a linear congruential sequence: every byte value occurs and neighbouring
// chunks differ, so a lost, doubled or reordered chunk changes the checksum.
#include "payload.h"

#include <cstdio>

namespace e2e {

std::string MakePayload(std::size_t size, std::uint32_t seed) {
  std::string data(size, '\0');
  std::uint32_t x = seed;
  for (std::size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    data[i] = static_cast<char>(x >> 24);
  }
  return data;
}

std::string Crc32Hex(const std::string& data) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  char text[9];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(~crc));
  return text;
}

}  // namespace e2e
