// Test payloads and an independent CRC-32 (bit by bit, as zlib defines it) to check what the
// simulator journals for a transfer without trusting the simulator's own checksum code.
#pragma once

#include <cstdint>
#include <string>

namespace e2e {

// `size` bytes of a fixed pseudo-random sequence (the same for the same seed).
std::string MakePayload(std::size_t size, std::uint32_t seed);

// The zlib CRC-32 of `data` as 8 lower-case hex digits.
std::string Crc32Hex(const std::string& data);

}  // namespace e2e
