// Carry-less multiplication CRC-32 for the reflected polynomial 0xEDB88320: four 128-bit lanes
// are folded forward 64 bytes at a time, then folded into one lane, reduced to 64 bits and
// finally to 32 bits by Barrett reduction. The constants are powers of x modulo the polynomial
// (x^(4*128+32), x^(4*128-32), x^(128+32), x^(128-32), x^64) and the Barrett pair (the
// polynomial and floor(x^64 / polynomial)), all bit-reflected.
//
// The instruction set is chosen per function (target attributes) and checked at run time, so the
// simulator still runs on a processor without it. Other architectures get the table code only.
#include "crc32_clmul.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#include <immintrin.h>

namespace sim {
namespace {

alignas(16) const std::uint64_t kFold4[2] = {0x0154442bd4ull, 0x01c6e41596ull};
alignas(16) const std::uint64_t kFold1[2] = {0x01751997d0ull, 0x00ccaa009eull};
alignas(16) const std::uint64_t kFold64[2] = {0x0163cd6124ull, 0};
alignas(16) const std::uint64_t kBarrett[2] = {0x01db710641ull, 0x01f7011641ull};

__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i acc, __m128i k, __m128i next) {
  const __m128i lo = _mm_clmulepi64_si128(acc, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(acc, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(hi, lo), next);
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i Load(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

}  // namespace

bool Crc32ClmulAvailable() {
  static const bool available =
      __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return available;
}

__attribute__((target("pclmul,sse4.1"))) std::uint32_t Crc32ClmulUpdate(std::uint32_t state,
                                                                        const unsigned char* data,
                                                                        std::size_t size) {
  __m128i x1 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(static_cast<int>(state)));
  __m128i x2 = Load(data + 16);
  __m128i x3 = Load(data + 32);
  __m128i x4 = Load(data + 48);
  data += 64;
  size -= 64;
  __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold4));
  for (; size >= 64; data += 64, size -= 64) {
    x1 = Fold(x1, k, Load(data));
    x2 = Fold(x2, k, Load(data + 16));
    x3 = Fold(x3, k, Load(data + 32));
    x4 = Fold(x4, k, Load(data + 48));
  }
  k = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold1));
  x1 = Fold(x1, k, x2);
  x1 = Fold(x1, k, x3);
  x1 = Fold(x1, k, x4);
  for (; size >= 16; data += 16, size -= 16)
    x1 = Fold(x1, k, Load(data));

  // 128 bits to 64.
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
  x2 = _mm_clmulepi64_si128(x1, k, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
  k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kFold64));
  x2 = _mm_srli_si128(x1, 4);
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x00), x2);

  // Barrett reduction to 32 bits.
  k = _mm_load_si128(reinterpret_cast<const __m128i*>(kBarrett));
  x2 = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x10);
  x2 = _mm_clmulepi64_si128(_mm_and_si128(x2, low32), k, 0x00);
  x1 = _mm_xor_si128(x1, x2);
  return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

}  // namespace sim

#else

namespace sim {

bool Crc32ClmulAvailable() {
  return false;
}

std::uint32_t Crc32ClmulUpdate(std::uint32_t state, const unsigned char*, std::size_t) {
  return state;
}

}  // namespace sim

#endif
