// One open subkey of HKEY_LOCAL_MACHINE in its 32-bit view, one body per platform
// (registry_win32.cpp: the registry; registry_posix.cpp: the registry file). Used under the
// registry lock by tevbase_dll_tools.cpp; no diagnostics.
#pragma once

#include <memory>

// The outcome of a query, as RegQueryValueEx reports it.
enum class RegistryQuery {
  kOk,        // copied; *size = bytes of the data, a string's terminator included
  kMoreData,  // the buffer is too small; *size = bytes needed
  kFailed,    // missing value or another failure
};

class RegistryKey {
 public:
  RegistryKey();
  // Closes the key.
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens `subkey` of HKEY_LOCAL_MACHINE for reading; false when it does not exist.
  bool Open(const char* subkey);

  // Queries `value` into `buffer` of `*size` bytes. *is_string tells whether it is a REG_SZ.
  // The data is not terminated beyond what the value itself holds.
  RegistryQuery Query(const char* value, char* buffer, unsigned long* size, bool* is_string);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
