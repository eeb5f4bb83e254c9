// The platform-neutral part of the fast file I/O: write modes, 64-bit chunked transfers, the
// line reader and the whole-file operations. The OS calls themselves live in
// fastfile_win32.cpp / fastfile_posix.cpp behind fastfile_platform.h.
#include "fastfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "errtrace.h"
#include "fastfile_platform.h"
#include "fileops.h"
#include "os_error.h"

namespace {

constexpr int kFlushBit = 4;

unsigned ErrorNumber() {
  return static_cast<unsigned>(LastOsError());
}

}  // namespace

// ---- Low-level operations ----

MFileHandle openwritefile(const char* path, int mode) {
  const int base_mode = mode & ~kFlushBit;
  if (base_mode < kFastFileCreateNew || base_mode > kFastFileCreateAlways) {
    MERRTRACE("openwritefile(): unknown mode %d for %s", base_mode, path);
    return kInvalidFileHandle;
  }
  MFileHandle handle = OsOpenWrite(path, base_mode, (mode & kFlushBit) != 0);
  if (handle == kInvalidFileHandle) {
    const unsigned error = ErrorNumber();
    MERRTRACE("%s(): CreateFile(%s, ...) failed: %u", "openwritefile", path, error);
  }
  return handle;
}

bool read64(MFileHandle handle, void* buffer, uint64_t count, uint64_t* read) {
  *read = 0;
  char* position = static_cast<char*>(buffer);
  uint64_t remaining = count;
  // Up to the chunk limit this is one call, and a short count at end of file is passed on as
  // the OS reports it. Beyond it, chunks follow until all came or a chunk brings nothing.
  do {
    uint64_t got = 0;
    if (!OsReadChunk(handle, position, std::min(remaining, kMaxIoChunk), &got)) {
      const unsigned error = ErrorNumber();
      MERRTRACE("%s(): ReadFile() failed: %u", "read64", error);
      return false;
    }
    *read += got;
    position += got;
    remaining -= got;
    if (got == 0)
      break;
  } while (count > kMaxIoChunk && remaining > 0);
  return true;
}

bool write64(MFileHandle handle, const void* buffer, uint64_t count, uint64_t* written) {
  *written = 0;
  const char* position = static_cast<const char*>(buffer);
  uint64_t remaining = count;
  do {
    uint64_t put = 0;
    if (!OsWriteChunk(handle, position, std::min(remaining, kMaxIoChunk), &put)) {
      const unsigned error = ErrorNumber();
      MERRTRACE("%s(): WriteFile() failed: %u", "write64", error);
      return false;
    }
    *written += put;
    position += put;
    remaining -= put;
    // A chunk that moves nothing would be repeated forever: the write cannot complete.
    if (put == 0 && remaining > 0 && count > kMaxIoChunk) {
      const unsigned error = ErrorNumber();
      MERRTRACE("%s(): WriteFile() failed: %u", "write64", error);
      return false;
    }
  } while (count > kMaxIoChunk && remaining > 0);
  return true;
}

// ---- The line reader ----

MFastFileReader::~MFastFileReader() {
  if (!Close())
    MERRTRACE("MFastFileReader::~MFastFileReader(): Close() failed");
}

bool MFastFileReader::Open(const char* path) {
  if (open_marker_ == 0 && !Close()) {
    MERRTRACE("MFastFileReader::Open(): Close() failed");
    return false;
  }
  if (!openfile(path, &handle_)) {
    const int error = static_cast<int>(LastOsError());
    MERRTRACE("MFastFileReader::Open(): openfile(\"%s\") failed: %d", path, error);
    handle_ = kInvalidFileHandle;
    return false;
  }
  open_marker_ = 0;
  read_pos_ = data_end_ = buffer_;
  name_ = path;
  return true;
}

bool MFastFileReader::Close() {
  if (open_marker_ != 0)
    return true;
  name_.clear();
  bool closed = closefile(handle_);
  if (!closed) {
    const int error = static_cast<int>(LastOsError());
    MERRTRACE("MFastFileReader::Close(): CloseHandle() failed: %d", error);
  }
  handle_ = kInvalidFileHandle;
  open_marker_ = -1;
  return closed;
}

bool MFastFileReader::fill_buffer() {
  uint64_t count = 0;
  if (!read64(handle_, buffer_, kBufferSize, &count)) {
    MERRTRACE("MFastFileReader::fill_buffer(): read64() failed");
    return false;
  }
  // At end of file the positions stay, so the buffer stays exhausted.
  if (count > 0) {
    read_pos_ = buffer_;
    data_end_ = buffer_ + count;
  }
  return true;
}

bool MFastFileReader::ReadLine(std::string* line) {
  line->clear();
  const char* pending = read_pos_;
  char terminator = 0;
  for (;;) {
    if (BufferExhausted()) {
      line->append(pending, static_cast<size_t>(read_pos_ - pending));
      if (!fill_buffer()) {
        MERRTRACE("MFastFileReader::ReadLine(STL): fill_buffer() failed");
        return false;
      }
      pending = read_pos_;
      if (BufferExhausted())
        break;  // end of file
    }
    const char c = *read_pos_++;
    if (c == '\r' || c == '\n') {
      terminator = c;
      break;
    }
  }
  const char* piece_end = read_pos_ - (terminator ? 1 : 0);
  line->append(pending, static_cast<size_t>(piece_end - pending));
  // A CR may be the last byte of one block and its LF the first of the next: look ahead across
  // the refill so that CR LF stays one line end.
  if (terminator == '\r') {
    if (BufferExhausted() && !fill_buffer()) {
      MERRTRACE("MFastFileReader::ReadLine(STL):fill_buffer() failed");
      return false;
    }
    if (!BufferExhausted() && *read_pos_ == '\n')
      ++read_pos_;
  }
  return true;
}

bool MFastFileReader::IsEOF() {
  if (open_marker_ != 0) {
    MERRLOG("MFastFileReader::IsEOF(): no open file");
    return true;
  }
  if (BufferExhausted()) {
    // A read error here only ends the file for the caller; its details go to the error log
    // rather than into the caller's error context.
    MErrTrace_BeginContext();
    if (!fill_buffer()) {
      MERRLOG("MFastFileReader::IsEOF(): fill_buffer() failed");
      MErrTrace_ClearContext();
    }
    MErrTrace_EndContext();
  }
  return BufferExhausted();
}

bool MFastFileReader::CheckEOF(bool* at_end) {
  *at_end = IsEOF();
  if (!*at_end)
    return true;
  if (open_marker_ == 0 && !fill_buffer()) {
    *at_end = false;
    return false;
  }
  *at_end = BufferExhausted();
  return true;
}

// ---- Whole-file operations ----

namespace {

// Opens `path`, lets `read` fill the caller's memory from the handle and closes the handle on
// every path, with the error-trace entries of MFastFile_ReadAtOnce (`size` is the count they
// name). `read` gets the handle and the count to set, and answers whether the OS read succeeded.
template <typename Read>
int64_t ReadWholeFile(const char* path, size_t size, Read read) {
  MFileHandle handle = kInvalidFileHandle;
  if (!openfile(path, &handle)) {
    MERRTRACE("MFastFile_ReadAtOnce(): openfile(\"%s\") failed.", path);
    return -1;
  }
  uint64_t count = 0;
  const bool read_ok = read(handle, &count);
  if (!read_ok)
    MERRTRACE("MFastFile_ReadAtOnce(): ReadFile(..,%zu,..) failed for \"%s\"", size, path);
  if (!closefile(handle)) {
    const int error = static_cast<int>(LastOsError());
    MERRTRACE("MFastFile_ReadAtOnce(): CloseHandle() failed for \"%s\": %d", path, error);
    return -1;
  }
  return read_ok ? static_cast<int64_t>(count) : -1;
}

// Fills *content, reserved for `size` bytes, piece by piece: each piece is appended as zeros (the
// first touch of its fresh memory), read into, and told to the observer before the next one comes,
// so that the observer's work on one piece runs while the next is read. Appending within the
// reserved capacity never moves the buffer, which the observer may be reading meanwhile; bytes
// already told are never written again.
bool ReadPieces(MFileHandle handle, size_t size, std::string* content,
                MFastFileReadObserver* observer, uint64_t* count) {
  *count = 0;
  while (*count < size) {
    const size_t offset = static_cast<size_t>(*count);
    const size_t piece = std::min(kFastFileReadPieceBytes, size - offset);
    content->append(piece, '\0');
    uint64_t got = 0;
    if (!read64(handle, &(*content)[offset], piece, &got))
      return false;
    *count += got;
    if (got < piece)
      break;  // the file shrank since its size was taken
    observer->BytesReady(content->data(), static_cast<size_t>(*count));
  }
  // As the plain read leaves it: the size file_size gave, zero-filled after a short read. The
  // zeros are part of the content, so the observer hears of them too.
  if (*count < size) {
    content->resize(size);
    observer->BytesReady(content->data(), size);
  }
  return true;
}

// The string's part of a whole-file read: the plain read sizes the string once and reads it in
// one go; an observed read reserves the memory once and grows into it piece by piece.
int64_t ReadIntoString(const char* path, size_t size, std::string* content,
                       MFastFileReadObserver* observer) {
  if (observer == nullptr) {
    content->resize(size);
    return MFastFile_ReadAtOnce(path, &(*content)[0], content->size());
  }
  content->clear();
  content->reserve(size);
  return ReadWholeFile(path, size, [&](MFileHandle handle, uint64_t* count) {
    return ReadPieces(handle, size, content, observer, count);
  });
}

void TellFailure(MFastFileReadObserver* observer) {
  if (observer != nullptr)
    observer->ReadFailed();
}

}  // namespace

int64_t MFastFile_ReadAtOnce(const char* path, void* buffer, size_t size) {
  return ReadWholeFile(path, size, [&](MFileHandle handle, uint64_t* count) {
    return read64(handle, buffer, size, count);
  });
}

int64_t MFastFile_ReadAtOnce(const char* path, std::string* content) {
  return MFastFile_ReadAtOnce(path, content, nullptr);
}

int64_t MFastFile_ReadAtOnce(const char* path, std::string* content,
                             MFastFileReadObserver* observer) {
  const int64_t size = file_size(path);
  if (size < 0) {
    MERRTRACE("MFastFile_ReadAtOnce(): file_size(\"%s\") returned %lld", path,
              static_cast<long long>(size));
    TellFailure(observer);
    return -1;
  }
  int64_t result = -1;
  try {
    result = ReadIntoString(path, static_cast<size_t>(size), content, observer);
  } catch (const std::exception&) {
    // A file larger than memory allows fails like a read error.
  }
  if (result < 0) {
    TellFailure(observer);  // before the buffer it may be reading is emptied
    content->clear();
    MERRTRACE("MFastFile_ReadAtOnce(): MFastFile_ReadAtOnce(\"%s\",..,%lld) failed", path,
              static_cast<long long>(size));
  }
  return result;
}

namespace {

// A new empty file beside `path` for mode 10, malloc'ed (the caller frees it), or null after an
// error-trace entry. The size fits the folder, "ffw", four hex digits and ".tmp".
char* CreateTempBeside(const char* path) {
  const size_t capacity = strlen(path) + 12;
  char* name = static_cast<char*>(malloc(capacity));
  if (name == nullptr) {
    MERRTRACE("MFastFile_WriteAtOnce(): malloc() failed");
    return nullptr;
  }
  std::string folder(file_dirname(path, name) ? name : "");
  if (!OsCreateTempFile(folder.c_str(), name, capacity)) {
    const unsigned error = ErrorNumber();
    MERRTRACE("MFastFile_WriteAtOnce(): GetTempFileName() failed:%u", error);
    free(name);
    return nullptr;
  }
  return name;
}

// Steps 4 to 6 of a whole-file write: write, flush when asked, close on every path.
bool WriteFlushClose(MFileHandle handle, const void* data, size_t size, bool flush,
                     uint64_t* written) {
  static const char kFunction[] = "MFastFile_WriteAtOnce";
  bool ok = write64(handle, data, size, written);
  if (!ok)
    MERRTRACE("%s(): write64() failed", kFunction);
  if (ok && flush && !OsFlush(handle)) {
    const unsigned error = ErrorNumber();
    MERRTRACE("%s(): FlushFileBuffers() failed: %u", kFunction, error);
    ok = false;
  }
  if (!closefile(handle)) {
    const unsigned error = ErrorNumber();
    MERRTRACE("%s(): CloseHandle() failed: %u", kFunction, error);
    ok = false;
  }
  return ok;
}

// Puts the finished temporary file in the target's place; drops it when that cannot happen.
bool ReplaceTarget(char* temp, const char* path, bool written) {
  bool ok = written;
  if (ok && !file_rename(temp, path)) {
    const std::string reason = ErrnoText(errno);
    MERRTRACE("MFastFile_WriteAtOnce(): file_rename(%s,%s) failed: %s", temp, path, reason.c_str());
    ok = false;
  }
  // A temporary that never became the target is of no use to anyone.
  if (!ok)
    OsRemoveFile(temp);
  free(temp);
  return ok;
}

}  // namespace

int64_t MFastFile_WriteAtOnce(const char* path, const void* data, size_t size, int mode) {
  bool flush = (mode & kFlushBit) != 0;
  int base_mode = mode & ~kFlushBit;
  char* temp = nullptr;
  if (base_mode == kFastFileReplaceViaTemp) {
    base_mode = kFastFileCreateAlways;
    flush = true;  // the target is replaced only by data that reached the disk
    temp = CreateTempBeside(path);
    if (temp == nullptr)
      return -1;
  }
  const char* target = temp ? temp : path;
  MFileHandle handle = openwritefile(target, base_mode);
  if (handle == kInvalidFileHandle) {
    MERRTRACE("%s(): openwritefile(%s, %d) failed", "MFastFile_WriteAtOnce", target, base_mode);
    if (temp)
      ReplaceTarget(temp, path, false);
    return -1;
  }
  uint64_t written = 0;
  bool ok = WriteFlushClose(handle, data, size, flush, &written);
  if (temp)
    ok = ReplaceTarget(temp, path, ok);
  return ok ? static_cast<int64_t>(written) : -1;
}

namespace {

// Copies `size` bytes to `out` with every LF, CR LF and lone CR written as CR LF; returns the
// new length. `out` must hold 2 * size bytes.
size_t ConvertLineEndsToCrLf(const char* in, size_t size, char* out) {
  size_t n = 0;
  for (size_t i = 0; i < size; ++i) {
    const char c = in[i];
    if (c == '\r' || c == '\n') {
      out[n++] = '\r';
      out[n++] = '\n';
      if (c == '\r' && i + 1 < size && in[i + 1] == '\n')
        ++i;
    } else {
      out[n++] = c;
    }
  }
  return n;
}

}  // namespace

int64_t MFastFile_WriteLinesAtOnce(const char* path, const void* data, size_t size, int mode) {
  // The worst case doubles the block, so one allocation always suffices. One byte at least, as
  // malloc(0) may answer null for an empty document.
  char* converted = nullptr;
  if (size <= SIZE_MAX / 2)
    converted = static_cast<char*>(malloc(std::max<size_t>(2 * size, 1)));
  if (converted == nullptr) {
    MERRTRACE("MFastFile_WriteLinesAtOnce(): malloc(%zu) failed: %.50s", size,
              ErrnoText(ENOMEM).c_str());
    return -1;
  }
  const size_t length = ConvertLineEndsToCrLf(static_cast<const char*>(data), size, converted);
  const int64_t result = MFastFile_WriteAtOnce(path, converted, length, mode);
  if (result < 0)
    MERRTRACE("MFastFile_WriteLinesAtOnce(): MFastFile_WriteAtOnce(\"%s\",..,%zu,%d) failed", path,
              length, mode);
  free(converted);
  return result;
}
