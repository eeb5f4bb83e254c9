// ThreadMutex recursion, exclusion between threads and the scope guard.
#include "tevar_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Asks from another thread whether the mutex is free right now.
bool FreeForAnotherThread(tevar::ThreadMutex& mutex) {
  bool taken = false;
  std::thread other([&] {
    taken = mutex.trylock();
    if (taken)
      mutex.unlock();
  });
  other.join();
  return taken;
}

TEST(ThreadMutex, IsRecursiveForItsOwnerAndExclusiveForOthers) {
  tevar::ThreadMutex mutex;
  EXPECT_TRUE(FreeForAnotherThread(mutex));
  mutex.lock();
  EXPECT_TRUE(mutex.trylock());  // recursion
  mutex.lock();
  EXPECT_FALSE(FreeForAnotherThread(mutex));
  mutex.unlock();
  mutex.unlock();
  EXPECT_FALSE(FreeForAnotherThread(mutex));  // still held once
  mutex.unlock();
  EXPECT_TRUE(FreeForAnotherThread(mutex));
}

TEST(ThreadMutex, SerialisesConcurrentUpdates) {
  tevar::ThreadMutex mutex;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        tevar::ScopedLock guard(mutex);
        counter = counter + 1;
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(80000, counter);
}

// Records the calls through the interface, as any Lockable may be guarded.
class CountingLock : public tevar::Lockable {
 public:
  void lock() override { ++locks; }
  void unlock() override { ++unlocks; }
  bool trylock() override { return false; }
  int locks = 0;
  int unlocks = 0;
};

TEST(ScopedLock, UnlocksAtScopeEndAndWhenAnExceptionPasses) {
  CountingLock lock;
  {
    tevar::ScopedLock guard(lock);
    EXPECT_EQ(1, lock.locks);
    EXPECT_EQ(0, lock.unlocks);
  }
  EXPECT_EQ(1, lock.unlocks);
  try {
    tevar::ScopedLock guard(lock);
    throw std::runtime_error("leave");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(2, lock.locks);
  EXPECT_EQ(2, lock.unlocks);

  tevar::ThreadMutex mutex;
  try {
    tevar::ScopedLock guard(mutex);
    throw std::runtime_error("leave");
  } catch (const std::runtime_error&) {
  }
  EXPECT_TRUE(FreeForAnotherThread(mutex));
}

}  // namespace
