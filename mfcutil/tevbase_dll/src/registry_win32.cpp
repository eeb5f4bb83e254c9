// The registry key on Windows: RegOpenKeyEx of HKEY_LOCAL_MACHINE with KEY_READ and
// KEY_WOW64_32KEY, so a 64-bit build reads the same values as the 32-bit programs of the
// station, and RegQueryValueEx.
#include <windows.h>

#include "registry_key.h"

struct RegistryKey::Impl {
  HKEY key = nullptr;
};

RegistryKey::RegistryKey() : impl_(new Impl) {}

RegistryKey::~RegistryKey() {
  if (impl_->key)
    RegCloseKey(impl_->key);
}

bool RegistryKey::Open(const char* subkey) {
  // The key is kept only on success: what a failed open leaves in its output is not promised,
  // and the destructor closes whatever is kept.
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ | KEY_WOW64_32KEY, &key) !=
      ERROR_SUCCESS)
    return false;
  impl_->key = key;
  return true;
}

RegistryQuery RegistryKey::Query(const char* value, char* buffer, unsigned long* size,
                                 bool* is_string) {
  DWORD type = REG_NONE;
  DWORD length = *size;
  LONG status =
      RegQueryValueExA(impl_->key, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &length);
  *size = length;
  *is_string = type == REG_SZ;
  if (status == ERROR_SUCCESS)
    return RegistryQuery::kOk;
  if (status == ERROR_MORE_DATA)
    return RegistryQuery::kMoreData;
  return RegistryQuery::kFailed;
}
