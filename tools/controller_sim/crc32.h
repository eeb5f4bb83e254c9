// CRC-32 of a byte stream, the checksum the simulated controller writes into its journal for every
// transfer it received. It is the CRC of zlib and of ZIP files (reflected polynomial 0xEDB88320,
// initial value and final XOR 0xFFFFFFFF), so the journal can be checked with any common tool.
//
// The checksum is computed while the bytes stream in: the controller never keeps a transfer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

class Crc32 {
 public:
  // Adds `size` bytes at `data` to the checksum; may be called any number of times.
  void Update(const void* data, std::size_t size);
  // The checksum of every byte added so far (0 for none). Does not end the stream.
  std::uint32_t Value() const { return ~state_; }

 private:
  std::uint32_t state_ = 0xFFFFFFFFu;
};

// The checksum as 8 lower-case hexadecimal digits, as the journal writes it.
std::string FormatCrc32(std::uint32_t crc);

}  // namespace sim
