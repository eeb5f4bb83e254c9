// ThreadMutex on Windows: a plain CRITICAL_SECTION, which is recursive for its owner and waits
// without time-out.
#include "tevar_lock.h"

#include <new>

#include <windows.h>

namespace tevar {

static_assert(sizeof(CRITICAL_SECTION) <= ThreadMutex::kStorageBytes,
              "ThreadMutex storage too small for a CRITICAL_SECTION");
static_assert(alignof(CRITICAL_SECTION) <= alignof(std::max_align_t),
              "ThreadMutex storage under-aligned for a CRITICAL_SECTION");

namespace {
CRITICAL_SECTION* Section(unsigned char* storage) {
  return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}
}  // namespace

ThreadMutex::ThreadMutex() {
  InitializeCriticalSection(new (storage_) CRITICAL_SECTION);
}

ThreadMutex::~ThreadMutex() {
  DeleteCriticalSection(Section(storage_));
}

void ThreadMutex::lock() {
  EnterCriticalSection(Section(storage_));
}

void ThreadMutex::unlock() {
  LeaveCriticalSection(Section(storage_));
}

bool ThreadMutex::trylock() {
  return TryEnterCriticalSection(Section(storage_)) == 1;
}

}  // namespace tevar
