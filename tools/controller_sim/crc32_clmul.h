// CRC-32 by carry-less multiplication (PCLMULQDQ): folds 64 bytes per step, several times faster
// than any table. Used by Crc32 for long runs of bytes when the processor has the instruction;
// the table code handles the rest and every other processor.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

// True when this build and this processor can run Crc32ClmulUpdate.
bool Crc32ClmulAvailable();

// Continues the CRC register `state` (the inverted running CRC, as Crc32 keeps it) over `size`
// bytes at `data`. REQUIRES: Crc32ClmulAvailable(), size >= 64 and size a multiple of 16.
std::uint32_t Crc32ClmulUpdate(std::uint32_t state, const unsigned char* data, std::size_t size);

}  // namespace sim
