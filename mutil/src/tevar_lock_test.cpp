// ThreadMutex recursion and exclusion between threads, and the scope guard.
#include "tevar_lock.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Asks from another thread whether the mutex is free right now.
bool FreeForAnotherThread(tevar::ThreadMutex& mutex) {
  bool taken = false;
  std::thread([&] {
    taken = mutex.trylock();
    if (taken)
      mutex.unlock();
  }).join();
  return taken;
}

TEST(ThreadMutex, IsRecursiveForItsOwnerAndExclusiveForOthers) {
  tevar::ThreadMutex mutex;
  EXPECT_TRUE(FreeForAnotherThread(mutex));
  mutex.lock();
  EXPECT_FALSE(FreeForAnotherThread(mutex));
  EXPECT_TRUE(mutex.trylock());  // recursion
  mutex.lock();
  mutex.unlock();
  mutex.unlock();
  EXPECT_FALSE(FreeForAnotherThread(mutex));  // still held once
  mutex.unlock();
  EXPECT_TRUE(FreeForAnotherThread(mutex));
}

// The read and the write of each update are apart, with a yield between them: without the
// lock, threads overwrite each other's updates in nearly every run (and ThreadSanitizer sees
// the race in every run).
TEST(ThreadMutex, SerialisesConcurrentUpdates) {
  tevar::ThreadMutex mutex;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        tevar::ScopedLock guard(mutex);
        const long seen = counter;
        std::this_thread::yield();
        counter = seen + 1;
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(8000, counter);
}

TEST(ScopedLock, HoldsTheLockForItsScopeAndReleasesItWhenAnExceptionPasses) {
  tevar::ThreadMutex mutex;
  EXPECT_THROW(
      {
        tevar::ScopedLock guard(mutex);
        EXPECT_FALSE(FreeForAnotherThread(mutex));
        throw std::runtime_error("leave");
      },
      std::runtime_error);
  EXPECT_TRUE(FreeForAnotherThread(mutex));
}

}  // namespace
