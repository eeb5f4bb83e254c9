// The POSIX primitives of the fast file I/O: open, read, write, fsync and close.
//
// Windows lets a write handle refuse other writers (sharing "read only"); here every write
// descriptor takes an exclusive, non-blocking flock on its file, which gives the same rule among
// the program's writers. Readers take no lock, so they still share the file with a writer.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "errtrace.h"
#include "fastfile_platform.h"
#include "posix_path.h"

namespace {

int ToFd(MFileHandle handle) {
  return static_cast<int>(handle);
}

int OpenFlags(int base_mode, bool write_through) {
  static const int kFlags[] = {O_WRONLY | O_CREAT | O_EXCL, O_WRONLY | O_CREAT | O_APPEND,
                               O_WRONLY | O_CREAT};
  return kFlags[base_mode] | O_CLOEXEC | (write_through ? O_SYNC : 0);
}

// open() that never waits: a FIFO would block it until its other end appears, where CreateFile
// answers at once. Reads and writes wait again as usual once it is open.
int OpenWithoutWaiting(const char* path, int flags, mode_t mode = 0) {
  int fd = open(ToPosixPath(path).c_str(), flags | O_NONBLOCK, mode);
  if (fd >= 0)
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace

bool openfile(const char* path, MFileHandle* handle) {
  // Descriptors are inherited by default on POSIX, as the Windows reader's handle is.
  int fd = OpenWithoutWaiting(path, O_RDONLY);
  // CreateFile refuses to open a folder as a file; open() would accept it and fail only at
  // the first read, so that a folder would pass for an empty file.
  struct stat info;
  if (fd >= 0 && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    fd = -1;
    errno = EISDIR;
  }
  *handle = fd < 0 ? kInvalidFileHandle : fd;
  if (fd < 0) {
    int error = errno;
    MERRTRACE("openfile(): CreateFile(\"%s\") failed: %d", path, error);
    errno = error;  // the caller names the error too
    return false;
  }
  return true;
}

MFileHandle OsOpenWrite(const char* path, int base_mode, bool write_through) {
  int fd = OpenWithoutWaiting(path, OpenFlags(base_mode, write_through), 0666);
  if (fd < 0)
    return kInvalidFileHandle;
  // Truncation waits for the lock, so that a refused second writer never destroys the data of
  // the one that holds the file.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 || (base_mode == 2 && ftruncate(fd, 0) != 0)) {
    int error = errno;
    close(fd);
    errno = error;
    return kInvalidFileHandle;
  }
  return fd;
}

namespace {

// Repeats `call` (read or write) until `count` bytes moved or one call moves nothing: a single
// read() or write() may move less than asked, where ReadFile and WriteFile on a disk file move
// all of it (or reach the end of the file).
template <typename Byte, typename Call>
bool WholeChunk(Byte* buffer, uint64_t count, uint64_t* done, Call call) {
  *done = 0;
  while (*done < count) {
    ssize_t n = call(buffer + *done, static_cast<size_t>(count - *done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return false;
    if (n == 0)
      break;
    *done += static_cast<uint64_t>(n);
  }
  return true;
}

}  // namespace

bool OsReadChunk(MFileHandle handle, void* buffer, uint64_t count, uint64_t* done) {
  return WholeChunk(static_cast<char*>(buffer), count, done,
                    [handle](char* p, size_t n) { return read(ToFd(handle), p, n); });
}

bool OsWriteChunk(MFileHandle handle, const void* buffer, uint64_t count, uint64_t* done) {
  return WholeChunk(static_cast<const char*>(buffer), count, done,
                    [handle](const char* p, size_t n) { return write(ToFd(handle), p, n); });
}

bool OsFlush(MFileHandle handle) {
  return fsync(ToFd(handle)) == 0;
}

bool closefile(MFileHandle handle) {
  return close(ToFd(handle)) == 0;
}

bool OsCreateTempFile(const char* folder, char* name, size_t capacity) {
  // GetTempFileName wants an existing directory and takes "" for none; so does this body, so
  // that a bare file name fails alike on both platforms.
  if (*folder == '\0') {
    errno = ENOTDIR;
    return false;
  }
  // Names as GetTempFileName makes them, "ffw" + four hex digits + ".tmp", tried from a
  // time-based start until one is free. The file is created with 0666 under the umask like any
  // other new file: it becomes the target, which must not end up readable by its owner only.
  const unsigned start = static_cast<unsigned>(time(nullptr)) ^ static_cast<unsigned>(getpid());
  for (unsigned i = 0; i < 0x10000; ++i) {
    const unsigned unique = ((start + i) & 0xFFFF) ? (start + i) & 0xFFFF : 1;
    char file[16];
    snprintf(file, sizeof file, "ffw%04X.tmp", unique);
    const std::string candidate = std::string(folder) + file;
    if (candidate.size() >= capacity) {
      errno = ENAMETOOLONG;
      return false;
    }
    int fd =
        open(ToPosixPath(candidate.c_str()).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      memcpy(name, candidate.c_str(), candidate.size() + 1);
      return true;
    }
    if (errno != EEXIST)
      return false;
  }
  errno = EEXIST;
  return false;
}

bool OsRemoveFile(const char* path) {
  return unlink(ToPosixPath(path).c_str()) == 0;
}
