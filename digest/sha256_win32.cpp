// SHA-256 from Windows' own cryptography (CNG, bcrypt.dll): an algorithm provider and a hash
// object per digest, the object's memory left to CNG.
#include <windows.h>

#include <bcrypt.h>

#include <cstdio>

#include "sha256_platform.h"

namespace digest {

struct Sha256State {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
};

namespace {

// "<call>() failed: 0x<NTSTATUS>"; CNG answers with status codes, not with GetLastError.
bool Refused(const char* call, NTSTATUS status, std::string* error) {
  char number[16];
  snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(status));
  *error = std::string(call) + "() failed: " + number;
  return false;
}

bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

}  // namespace

bool PlatformSha256Begin(Sha256State** state, std::string* error) {
  *state = nullptr;
  Sha256State made;
  NTSTATUS status =
      BCryptOpenAlgorithmProvider(&made.algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
  if (!Succeeded(status))
    return Refused("BCryptOpenAlgorithmProvider", status, error);
  status = BCryptCreateHash(made.algorithm, &made.hash, nullptr, 0, nullptr, 0, 0);
  if (!Succeeded(status)) {
    BCryptCloseAlgorithmProvider(made.algorithm, 0);
    return Refused("BCryptCreateHash", status, error);
  }
  *state = new Sha256State(made);
  return true;
}

bool PlatformSha256Update(Sha256State* state, const void* data, std::size_t size,
                          std::string* error) {
  // CNG only reads the bytes; its signature lacks the const.
  UCHAR* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
  const NTSTATUS status = BCryptHashData(state->hash, bytes, static_cast<ULONG>(size), 0);
  return Succeeded(status) || Refused("BCryptHashData", status, error);
}

bool PlatformSha256Finish(Sha256State* state, unsigned char digest[kSha256Bytes],
                          std::string* error) {
  const NTSTATUS status = BCryptFinishHash(state->hash, digest, kSha256Bytes, 0);
  return Succeeded(status) || Refused("BCryptFinishHash", status, error);
}

void PlatformSha256End(Sha256State* state) {
  if (state == nullptr)
    return;
  BCryptDestroyHash(state->hash);
  BCryptCloseAlgorithmProvider(state->algorithm, 0);
  delete state;
}

}  // namespace digest
