// The platform's SHA-256 under sha256.cpp, one body per platform: sha256_posix.cpp (OpenSSL EVP)
// and sha256_win32.cpp (CNG). Each call answers false with the platform's reason in *error, a
// line of the form "<function>() failed: <reason>"; none adds diagnostics of its own.
#pragma once

#include <cstddef>
#include <string>

#include "sha256.h"

namespace digest {

constexpr std::size_t kSha256Bytes = 32;

// The most bytes one PlatformSha256Update is given: CNG counts them in a ULONG.
constexpr std::size_t kMaxSha256Update = 0xFFFFFFFFu;

// Creates a hash object in *state (null on failure).
bool PlatformSha256Begin(Sha256State** state, std::string* error);
// Adds 1 to kMaxSha256Update bytes.
bool PlatformSha256Update(Sha256State* state, const void* data, std::size_t size,
                          std::string* error);
// Writes the 32 bytes of the digest; the object takes no more bytes afterwards.
bool PlatformSha256Finish(Sha256State* state, unsigned char digest[kSha256Bytes],
                          std::string* error);
// Frees the hash object; null is fine.
void PlatformSha256End(Sha256State* state);

}  // namespace digest
