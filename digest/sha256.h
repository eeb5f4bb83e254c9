// SHA-256 digests of update files, computed by the platform's own cryptography (OpenSSL's
// libcrypto on POSIX, CNG on Windows), never by code of ours.
//
// `Sha256` takes the bytes in as many calls as the caller likes and gives the digest as 64
// lower-case hexadecimal digits; `Sha256Hex` does the same for one block; `IsSha256Hex` checks a
// digest written by hand (an update description's `sha256 =` entry) before it is compared.
//
// Failures never throw: when the platform refuses, the object says so (ok(), error()) and the
// digest is "".
#pragma once

#include <cstddef>
#include <string>

namespace digest {

constexpr std::size_t kSha256HexDigits = 64;

// True when `text` is exactly 64 hexadecimal digits, in either case, and nothing else (no blank,
// no prefix).
bool IsSha256Hex(const std::string& text);

struct Sha256State;  // the platform's hash object

// An incremental SHA-256. Not copyable; one thread at a time.
class Sha256 {
 public:
  // Asks the platform for a hash object; when it refuses, ok() is false from the start.
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // Adds `size` bytes at `data` (null is fine when `size` is 0). Any size: blocks larger than the
  // platform takes in one call (4 GiB - 1 on Windows) are passed on in several.
  void Update(const void* data, std::size_t size);

  // The digest of everything added, as 64 lower-case hexadecimal digits. The object is spent
  // afterwards: Update does nothing and FinishHex gives "" with ok() false. "" as well when the
  // platform refused at any step.
  std::string FinishHex();

  // False once the platform refused (or the object was used after FinishHex); error() then gives
  // the reason as one line for an error-log entry, naming the platform call that failed.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  Sha256State* state_ = nullptr;
  bool spent_ = false;
  std::string error_;
};

// The SHA-256 of one block as 64 lower-case hexadecimal digits; "" when the platform refused.
std::string Sha256Hex(const void* data, std::size_t size);

}  // namespace digest
