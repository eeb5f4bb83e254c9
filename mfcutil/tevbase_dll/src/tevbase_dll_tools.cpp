// The registry readers and their buffers. ReadRegistryString hands out pointers into static
// buffers used round robin, so every call is made under one process-wide lock; long values move
// to larger buffers after the first query reports their size.
#include "tevbase_dll_tools.h"

#include <cstring>
#include <memory>

#include "registry_key.h"
#include "tevar_lock.h"

namespace {

constexpr size_t kResultBuffers = 16;
constexpr size_t kResultBytes = 260;
constexpr size_t kLongBuffers = 8;
constexpr size_t kLongBytes = 65535;

char g_results[kResultBuffers][kResultBytes];
size_t g_next_result = 0;
char g_long_values[kLongBuffers][kLongBytes];
size_t g_next_long = 0;
std::unique_ptr<char[]> g_very_long_value;

tevar::ThreadMutex& RegistryLock() {
  static tevar::ThreadMutex lock;
  return lock;
}

char* NextResultBuffer() {
  char* buffer = g_results[g_next_result];
  g_next_result = (g_next_result + 1) % kResultBuffers;
  buffer[0] = '\0';
  return buffer;
}

// A buffer for a value of `needed` bytes that did not fit a result buffer, with one byte more
// for a terminator the value may lack.
char* LongValueBuffer(unsigned long needed) {
  if (needed >= kLongBytes) {
    g_very_long_value.reset(new (std::nothrow) char[needed + 1]);
    return g_very_long_value.get();
  }
  char* buffer = g_long_values[g_next_long];
  g_next_long = (g_next_long + 1) % kLongBuffers;
  return buffer;
}

}  // namespace

const char* ReadRegistryString(const char* subkey, const char* value, const char* fallback) {
  tevar::ScopedLock lock(RegistryLock());
  char* target = NextResultBuffer();
  RegistryKey key;
  if (!key.Open(subkey))
    return fallback;
  // One byte stays free so that a value stored without its terminator still ends in one.
  unsigned long size = kResultBytes - 1;
  bool is_string = false;
  RegistryQuery query = key.Query(value, target, &size, &is_string);
  if (query == RegistryQuery::kMoreData) {
    target = LongValueBuffer(size);
    if (target == nullptr)
      return fallback;
    query = key.Query(value, target, &size, &is_string);
  }
  if (query != RegistryQuery::kOk || !is_string)
    return fallback;
  target[size] = '\0';
  return target;
}

bool ReadRegistryValue(const char* subkey, const char* value, char* buffer, unsigned* size) {
  tevar::ScopedLock lock(RegistryLock());
  RegistryKey key;
  if (!key.Open(subkey)) {
    *size = 0;
    return false;
  }
  unsigned long length = *size;
  bool is_string = false;
  const RegistryQuery query = key.Query(value, buffer, &length, &is_string);
  if (query == RegistryQuery::kMoreData) {
    *size = static_cast<unsigned>(length);
    return false;
  }
  if (query != RegistryQuery::kOk || !is_string || *size == 0) {
    *size = 0;
    return false;
  }
  buffer[*size - 1] = '\0';
  *size = static_cast<unsigned>(length);
  return true;
}
