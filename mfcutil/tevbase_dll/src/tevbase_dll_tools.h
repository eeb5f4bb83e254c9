// String values of the machine-wide registry (HKEY_LOCAL_MACHINE, 32-bit view), as start-up and
// the localization read them: the active user, the display language.
//
// On Windows this is the real registry. On POSIX a read-only INI file stands in for
// HKEY_LOCAL_MACHINE (docs/registry_file.md). Only string values (REG_SZ) are read.
//
// Threads: both functions take the process-wide registry lock and may be called from any thread.
#pragma once

// The string `value` of `subkey`, or `fallback` itself when the key or the value is missing, the
// value is not a string, or it cannot be read. The text lives in a static buffer that is reused
// 16 calls later (8 long values later for values of 260 bytes or more, at the next very long
// value for 65535 bytes or more): callers copy it at once.
const char* ReadRegistryString(const char* subkey, const char* value, const char* fallback);

// Reads the string `value` of `subkey` into `buffer`, whose capacity in bytes is `*size`.
// True on success: *size = the length read, terminator included, and the buffer's last byte is
// a NUL. When the buffer is too small: false with *size = the size needed, so callers ask first
// with a one-byte buffer, then again with a buffer of that size. Any other failure: false with
// *size = 0.
bool ReadRegistryValue(const char* subkey, const char* value, char* buffer, unsigned* size);
