// SHA-256 from OpenSSL's libcrypto through its EVP digest interface, which picks the fastest code
// the processor allows (the SHA extensions where there are any).
#include <openssl/err.h>
#include <openssl/evp.h>

#include "sha256_platform.h"

namespace digest {

struct Sha256State {
  EVP_MD_CTX* context = nullptr;
};

namespace {

// "<call>() failed: <OpenSSL's reason>", and the thread's OpenSSL error queue emptied, so that a
// later failure is not named after this one.
bool Refused(const char* call, std::string* error) {
  const unsigned long code = ERR_get_error();
  char reason[256] = "no reason given";
  if (code != 0)
    ERR_error_string_n(code, reason, sizeof reason);
  ERR_clear_error();
  *error = std::string(call) + "() failed: " + reason;
  return false;
}

}  // namespace

bool PlatformSha256Begin(Sha256State** state, std::string* error) {
  *state = nullptr;
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  if (context == nullptr)
    return Refused("EVP_MD_CTX_new", error);
  if (EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1) {
    EVP_MD_CTX_free(context);
    return Refused("EVP_DigestInit_ex", error);
  }
  *state = new Sha256State{context};
  return true;
}

bool PlatformSha256Update(Sha256State* state, const void* data, std::size_t size,
                          std::string* error) {
  return EVP_DigestUpdate(state->context, data, size) == 1 || Refused("EVP_DigestUpdate", error);
}

bool PlatformSha256Finish(Sha256State* state, unsigned char digest[kSha256Bytes],
                          std::string* error) {
  return EVP_DigestFinal_ex(state->context, digest, nullptr) == 1 ||
         Refused("EVP_DigestFinal_ex", error);
}

void PlatformSha256End(Sha256State* state) {
  if (state == nullptr)
    return;
  EVP_MD_CTX_free(state->context);
  delete state;
}

}  // namespace digest
