// The hashing thread beside the read. The reading thread publishes how many bytes are final under
// the mutex; the hashing thread takes them in steps, hashes each step outside the lock and
// publishes its progress. Nothing spins: both sides wait on one condition variable.
#include "background_sha256.h"

#include <algorithm>
#include <system_error>

#include "errtrace.h"

namespace digest {

namespace {

// The most one step hashes: it bounds how long ReadFailed and the destructor wait for the step
// under way (about a millisecond), while keeping the lock traffic small.
constexpr std::size_t kHashStepBytes = std::size_t{1} << 20;

}  // namespace

BackgroundSha256::BackgroundSha256() {
  try {
    worker_ = std::thread(&BackgroundSha256::Run, this);
  } catch (const std::system_error&) {
    // No thread to be had: BytesReady hashes on the reading thread.
  }
}

BackgroundSha256::~BackgroundSha256() {
  Stop();
}

void BackgroundSha256::BytesReady(const char* data, std::size_t ready) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (stopping_)
    return;  // a stopped hasher takes nothing more
  data_ = data;
  ready_ = ready;
  if (!worker_.joinable()) {
    while (hashed_ < ready_)
      HashStep(&lock);
    return;
  }
  changed_.notify_all();
}

void BackgroundSha256::ReadFailed() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    read_failed_ = true;
  }
  Stop();
}

std::string BackgroundSha256::Finish() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return hashed_ == ready_ || read_failed_; });
  }
  Stop();
  if (read_failed_) {
    error_ = "the read failed, so the digest is incomplete";
    return std::string();
  }
  std::string hex = hash_.FinishHex();
  error_ = hash_.error();
  return hex;
}

void BackgroundSha256::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || hashed_ < ready_; });
    if (stopping_)
      return;
    HashStep(&lock);
  }
}

// Hashes the next step of the bytes told with the lock released, so that the reading thread can
// tell of more meanwhile. Called and returns with the lock held.
void BackgroundSha256::HashStep(std::unique_lock<std::mutex>* lock) {
  const char* from = data_ + hashed_;
  const std::size_t size = std::min(ready_ - hashed_, kHashStepBytes);
  lock->unlock();
  hash_.Update(from, size);
  lock->lock();
  hashed_ += size;
  changed_.notify_all();
}

void BackgroundSha256::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable())
    worker_.join();
}

int64_t ReadFileWithSha256(const char* path, std::string* content, std::string* sha256_hex) {
  BackgroundSha256 hasher;
  const int64_t result = MFastFile_ReadAtOnce(path, content, &hasher);
  *sha256_hex = hasher.Finish();
  if (result >= 0 && sha256_hex->empty())
    MERRTRACE("ReadFileWithSha256(): SHA-256 of \"%s\" failed: %s", path, hasher.error().c_str());
  return result;
}

}  // namespace digest
