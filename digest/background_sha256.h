// Hashing a file while it is read: the SHA-256 of an update file comes out of the same pass that
// reads it into memory, on a second thread, so that checking a file costs little more than
// reading it.
//
// `BackgroundSha256` is an observer of the observed whole-file read (fastfile.h); the convenience
// `ReadFileWithSha256` wires the two together.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "fastfile.h"
#include "sha256.h"

namespace digest {

// Hashes the bytes of an observed read on a thread of its own as the read tells of them.
// Construct it, hand it to MFastFile_ReadAtOnce(path, content, observer), then call Finish.
// BytesReady and ReadFailed come from the reading thread; Finish and the destructor from one
// thread (usually the same) after the read returned. Not copyable.
class BackgroundSha256 : public MFastFileReadObserver {
 public:
  // Starts the hashing thread. Where the system gives no thread, the bytes are hashed on the
  // reading thread inside BytesReady instead: slower, with the same digest.
  BackgroundSha256();
  // Stops the hashing thread (without hashing what is left) and joins it, whatever happened
  // before: a finished digest, a failed read or neither.
  ~BackgroundSha256() override;
  BackgroundSha256(const BackgroundSha256&) = delete;
  BackgroundSha256& operator=(const BackgroundSha256&) = delete;

  void BytesReady(const char* data, std::size_t ready) override;
  // Stops and joins the hashing thread, so that the read may empty its buffer.
  void ReadFailed() override;

  // Waits until every byte told is hashed and returns the digest (64 lower-case hexadecimal
  // digits). "" when the read failed or the platform refused to hash; error() then says why.
  // Once only: the hasher is spent afterwards.
  std::string Finish();
  // Why Finish gave "": one line for an error-log entry.
  const std::string& error() const { return error_; }

 private:
  void Run();
  void HashStep(std::unique_lock<std::mutex>* lock);
  void Stop();

  std::mutex mutex_;
  std::condition_variable changed_;
  // Guarded by mutex_: the buffer, how much of it is told and hashed, and the states.
  const char* data_ = nullptr;
  std::size_t ready_ = 0;
  std::size_t hashed_ = 0;
  bool stopping_ = false;
  bool read_failed_ = false;
  // Used outside the lock by the one thread that hashes, and by Finish once that thread is gone.
  Sha256 hash_;
  std::string error_;
  std::thread worker_;
};

// Reads the whole file at `path` into *content exactly as MFastFile_ReadAtOnce(path, content)
// does (same result, same *content, same error-trace entries) and hashes it on the way. When the
// read succeeds, *sha256_hex gets the digest of *content (64 lower-case hexadecimal digits), or ""
// after an error-trace entry "ReadFileWithSha256(): SHA-256 of "<path>" failed: <reason>" when
// the platform refused to hash. When the read fails, *sha256_hex is "".
int64_t ReadFileWithSha256(const char* path, std::string* content, std::string* sha256_hex);

}  // namespace digest
