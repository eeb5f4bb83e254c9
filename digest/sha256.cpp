// The platform-neutral part of the SHA-256: the check of a written digest, the splitting of large
// blocks, the hexadecimal form and the life cycle of a hash object. The hashing itself is the
// platform's (sha256_posix.cpp / sha256_win32.cpp behind sha256_platform.h).
#include "sha256.h"

#include <algorithm>

#include "sha256_platform.h"

namespace digest {

namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string ToLowerHex(const unsigned char* bytes, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * size);
  for (std::size_t i = 0; i < size; ++i) {
    hex.push_back(kDigits[bytes[i] >> 4]);
    hex.push_back(kDigits[bytes[i] & 0xF]);
  }
  return hex;
}

const char kSpent[] = "Sha256: the digest was already finished";

}  // namespace

bool IsSha256Hex(const std::string& text) {
  return text.size() == kSha256HexDigits && std::all_of(text.begin(), text.end(), IsHexDigit);
}

Sha256::Sha256() {
  PlatformSha256Begin(&state_, &error_);
}

Sha256::~Sha256() {
  PlatformSha256End(state_);
}

void Sha256::Update(const void* data, std::size_t size) {
  if (spent_) {
    error_ = kSpent;
    return;
  }
  const char* bytes = static_cast<const char*>(data);
  while (size > 0 && ok()) {
    const std::size_t piece = std::min(size, kMaxSha256Update);
    PlatformSha256Update(state_, bytes, piece, &error_);
    bytes += piece;
    size -= piece;
  }
}

std::string Sha256::FinishHex() {
  if (spent_)
    error_ = kSpent;
  unsigned char bytes[kSha256Bytes];
  const bool finished = ok() && PlatformSha256Finish(state_, bytes, &error_);
  spent_ = true;
  return finished ? ToLowerHex(bytes, kSha256Bytes) : std::string();
}

std::string Sha256Hex(const void* data, std::size_t size) {
  Sha256 hash;
  hash.Update(data, size);
  return hash.FinishHex();
}

}  // namespace digest
