// The lock classes of the system: an abstract lockable, a recursive thread mutex and a scope
// guard.
//
// ThreadMutex keeps its operating-system object in storage inside itself rather than behind a
// pointer: the system's mutexes are static objects created before main, and in-place storage
// means construction cannot fail on an allocation and the header needs no system header (the
// Windows body checks at compile time that a CRITICAL_SECTION fits).
#pragma once

#include <cstddef>

namespace tevar {

// A lock with the operations in this slot order: lock, unlock, try-lock, then the destructor.
class Lockable {
 public:
  virtual void lock() = 0;
  virtual void unlock() = 0;
  // True when the lock was taken without waiting.
  virtual bool trylock() = 0;
  virtual ~Lockable() {}
};

// A recursive mutex without time-out: the thread that holds it may lock it again and must unlock
// it as often. Any thread may use it. Not copyable.
class ThreadMutex : public Lockable {
 public:
  ThreadMutex();
  ~ThreadMutex() override;
  ThreadMutex(const ThreadMutex&) = delete;
  ThreadMutex& operator=(const ThreadMutex&) = delete;

  void lock() override;
  void unlock() override;
  bool trylock() override;

  // Bytes reserved for the operating-system object (a CRITICAL_SECTION is 40 bytes on x64,
  // a pthread mutex 40 on glibc x86-64).
  static constexpr std::size_t kStorageBytes = 64;

 private:
  alignas(alignof(std::max_align_t)) unsigned char storage_[kStorageBytes];
};

// Locks `lockable` at construction and unlocks it when the scope ends, also when an exception
// passes. Never throws. The lockable must outlive the guard.
class ScopedLock {
 public:
  explicit ScopedLock(Lockable& lockable) : lockable_(lockable) { lockable_.lock(); }
  ~ScopedLock() noexcept { lockable_.unlock(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  Lockable& lockable_;
};

}  // namespace tevar
