// Tests of hashing beside the read: a file of many read pieces against sha256sum and the one-shot
// digest of what was read, and a read that fails half way while the hash runs.
#include "background_sha256.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "fileio_testing.h"

namespace {

// Golden-ratio multiplicative hashing of each byte's position: no period short of 2^56 bytes.
std::string PseudoRandomBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>(i * 0x9E3779B97F4A7C15u >> 56);
  return bytes;
}

}  // namespace

// Sixteen read pieces and a short one, not a whole number of 64-byte blocks. Catches: a piece
// hashed twice, skipped or out of order, a tail not hashed, a digest taken before the hashing
// thread caught up, and content that differs from the file.
TEST(ReadFileWithSha256, AgreesWithSha256sumAndWithTheOneShotDigestOfTheContent) {
  fileio_testing::TempFolder folder;
  const std::string path = folder.File("firmware.bin");
  const std::string bytes = PseudoRandomBytes((size_t{64} << 20) + 5);
  fileio_testing::WriteBytes(path, bytes);
  std::string content, hex;
  ASSERT_EQ(static_cast<int64_t>(bytes.size()),
            digest::ReadFileWithSha256(path.c_str(), &content, &hex));
  EXPECT_TRUE(content == bytes);
  EXPECT_EQ(digest::Sha256Hex(content.data(), content.size()), hex);
  // What sha256sum printed for this file; natively it is asked again (under Wine it cannot be).
  EXPECT_EQ("cd58e70340c1602c526e4362f57e31e203bc8619b8ba01f5bbf20491ca123bd7", hex);
#ifndef _WIN32
  char printed[65] = {};
  FILE* tool = popen(("sha256sum " + path).c_str(), "r");
  ASSERT_TRUE(tool != nullptr && fread(printed, 1, 64, tool) == 64);
  pclose(tool);
  EXPECT_EQ(hex, printed);
#endif
}

#ifndef _WIN32
namespace {

// Passes every piece on to its hasher and, after the second, puts a folder under the read's file
// descriptor, so that the read's next read() fails with EISDIR: a real OS read error half way.
struct SabotagedRead : MFastFileReadObserver {
  void BytesReady(const char* data, size_t ready) override {
    hasher.BytesReady(data, ready);
    if (++pieces == 2)
      dup2(folder, read_fd);
  }
  void ReadFailed() override { hasher.ReadFailed(); }
  digest::BackgroundSha256 hasher;
  int folder = -1, read_fd = -1, pieces = 0;
};

long ThreadCount() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/task"), {});
}

}  // namespace

// Catches: a hashing thread still running after the read failed (it would hash the buffer the
// read empties), a Finish that waits forever for bytes that never come or answers the digest of
// half a file, and a read that goes on after its OS read failed.
TEST(BackgroundSha256, AReadFailingHalfWayLeavesNoThreadAndNoDigest) {
  fileio_testing::TempFolder folder;
  const std::string path = folder.File("firmware.bin");
  const std::string count = std::to_string(4 * kFastFileReadPieceBytes);
  fileio_testing::WriteBytes(path, PseudoRandomBytes(4 * kFastFileReadPieceBytes));
  const long threads_before = ThreadCount();
  fileio_testing::ErrorContext context;
  std::string content = "old";
  SabotagedRead observer;
  observer.folder = open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);
  observer.read_fd = dup(observer.folder);  // the lowest free descriptor, which the read gets
  close(observer.read_fd);
  EXPECT_EQ(-1, MFastFile_ReadAtOnce(path.c_str(), &content, &observer));
  close(observer.folder);
  // A joined thread leaves the task list a moment after the join returned.
  for (int i = 0; i < 1000 && ThreadCount() > threads_before; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(threads_before, ThreadCount()) << "the hashing thread outlived the failed read";
  EXPECT_EQ("", observer.hasher.Finish());
  EXPECT_EQ("the read failed, so the digest is incomplete", observer.hasher.error());
  EXPECT_EQ("", content);
  context.ExpectAndClear(
      {"read64(): ReadFile() failed: 21",
       "MFastFile_ReadAtOnce(): ReadFile(..," + count + ",..) failed for \"" + path + "\"",
       "MFastFile_ReadAtOnce(): MFastFile_ReadAtOnce(\"" + path + "\",..," + count + ") failed"});
}
#endif
