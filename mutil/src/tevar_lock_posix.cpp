// ThreadMutex on POSIX: a recursive pthread mutex, the closest match to a critical section
// (recursive for its owner, no time-out).
#include "tevar_lock.h"

#include <new>

#include <pthread.h>

namespace tevar {

static_assert(sizeof(pthread_mutex_t) <= ThreadMutex::kStorageBytes,
              "ThreadMutex storage too small for a pthread mutex");
static_assert(alignof(pthread_mutex_t) <= alignof(std::max_align_t),
              "ThreadMutex storage under-aligned for a pthread mutex");

namespace {
pthread_mutex_t* Mutex(unsigned char* storage) {
  return std::launder(reinterpret_cast<pthread_mutex_t*>(storage));
}
}  // namespace

ThreadMutex::ThreadMutex() {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(new (storage_) pthread_mutex_t, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

ThreadMutex::~ThreadMutex() {
  pthread_mutex_destroy(Mutex(storage_));
}

void ThreadMutex::lock() {
  pthread_mutex_lock(Mutex(storage_));
}

void ThreadMutex::unlock() {
  pthread_mutex_unlock(Mutex(storage_));
}

bool ThreadMutex::trylock() {
  return pthread_mutex_trylock(Mutex(storage_)) == 0;
}

}  // namespace tevar
