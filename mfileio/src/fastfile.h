// Fast file I/O: the buffered line reader and the whole-file operations.
//
// This is the program's only road to file contents. `MFastFileReader` hands out the lines of a
// text file through an 8192-byte buffer (CR LF, a lone LF and a lone CR each end one line).
// `MFastFile_ReadAtOnce` reads a whole file into memory (optionally telling an observer as its
// bytes arrive, so that a checksum can run beside the read), `MFastFile_WriteAtOnce` writes a
// block, optionally through a temporary file that then replaces the target, and
// `MFastFile_WriteLinesAtOnce` does the same after turning every line end into CR LF.
//
// Failures never throw: they add an error-trace entry naming the function (and the OS error
// number where there is one) and return false, -1 or the invalid handle.
//
// Threads: no locks. A reader belongs to one thread; the free functions may run on several
// threads at once as long as they work on different files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An open file of the operating system: a HANDLE on Windows, a descriptor on POSIX. Kept opaque
// so that callers never see the platform's headers.
using MFileHandle = intptr_t;
constexpr MFileHandle kInvalidFileHandle = -1;

// Write modes of openwritefile and the whole-file writers. Bit 4 may be added to any of them.
enum MFastFileMode {
  kFastFileCreateNew = 0,       // create; fails if the file exists
  kFastFileAppend = 1,          // append, creating the file when missing
  kFastFileCreateAlways = 2,    // create or truncate
  kFastFileFlush = 4,           // write through and flush before closing
  kFastFileReplaceViaTemp = 10  // whole-file writers only: write a temporary file, then rename
};

// ---- Low-level operations (used by the reader and the whole-file operations) ----

// Opens an existing file for reading; other readers and writers may share it, and the handle is
// inheritable. On failure: error-trace entry, *handle = kInvalidFileHandle, false.
bool openfile(const char* path, MFileHandle* handle);

// Opens a file for writing in `mode` (0, 1 or 2, plus 4 for write-through). Other processes may
// read it meanwhile, but a second writer on the same file fails. Returns kInvalidFileHandle after
// an error-trace entry on failure or for an unknown mode (nothing is created then).
// The caller owns the handle and closes it with closefile.
MFileHandle openwritefile(const char* path, int mode);

// Reads up to `count` bytes; *read gets what arrived (less at end of file). Counts beyond
// 4294967295 bytes are read in chunks of at most that size. False after an error-trace entry.
bool read64(MFileHandle handle, void* buffer, uint64_t count, uint64_t* read);

// Writes `count` bytes in chunks of at most 4294967295; *written gets what was written.
// False after an error-trace entry.
bool write64(MFileHandle handle, const void* buffer, uint64_t count, uint64_t* written);

// Closes a handle of openfile or openwritefile. False (and LastOsError() set) when the OS refuses;
// the handle is gone either way. Adds no error-trace entry: callers name themselves.
bool closefile(MFileHandle handle);

// ---- The line reader ----

// The interface every buffered reader shares: a way to refill its buffer.
class MFastFile {
 public:
  // Refills the buffer from the file; true also at end of file (nothing came).
  virtual bool fill_buffer() = 0;
  virtual ~MFastFile() = default;
};

// Reads a text file line by line. Open, then ReadLine until IsEOF; Close or destroy.
// Not copyable; one thread at a time.
class MFastFileReader : public MFastFile {
 public:
  static constexpr size_t kBufferSize = 8192;

  MFastFileReader() = default;
  // Closes the file; a failure only adds an error-trace entry.
  ~MFastFileReader() override;
  MFastFileReader(const MFastFileReader&) = delete;
  MFastFileReader& operator=(const MFastFileReader&) = delete;

  // Opens `path` for reading (closing any file open before). False after an error-trace entry.
  bool Open(const char* path);
  // Closes the file; closing a reader that is not open succeeds. The reader is closed afterwards
  // even when the OS reports a failure (then false).
  bool Close();
  // Reads the next line into *line without its line end. At end of file the last line comes even
  // without a terminator, and a call after it gives an empty line and true: test IsEOF after
  // each line. Bytes (NUL included) pass unchanged. False only on a read error.
  bool ReadLine(std::string* line);
  // True when no byte is left. A reader that is not open, or a read error, counts as end of file
  // (and writes an error-log entry).
  bool IsEOF();
  // IsEOF for readers that must not take a read error for the end of the file: when IsEOF sees
  // the end, one more fill_buffer confirms it, and that read fails again on a real read error.
  // False (after fill_buffer's error-trace entries) when it does; otherwise *at_end says whether
  // the file is done.
  bool CheckEOF(bool* at_end);

  bool fill_buffer() override;

  // The name given to Open; empty while closed.
  const std::string& name() const { return name_; }

 private:
  bool BufferExhausted() const { return read_pos_ == data_end_; }

  char buffer_[kBufferSize];
  char* data_end_ = buffer_;
  char* read_pos_ = buffer_;
  MFileHandle handle_ = kInvalidFileHandle;
  int32_t open_marker_ = -1;  // -1: no file open, 0: open
  std::string name_;
};

// ---- Whole-file operations ----

// Reads up to `size` bytes of `path` into `buffer` (owned by the caller). Returns the number of
// bytes read, or -1 after an error-trace entry.
int64_t MFastFile_ReadAtOnce(const char* path, void* buffer, size_t size);

// Reads the whole file into *content, byte for byte. The string takes the size file_size gives
// (zero-filled where fewer bytes could be read). Returns the bytes read, or -1 after an
// error-trace entry; *content is untouched when the size cannot be had and emptied when the read
// fails.
int64_t MFastFile_ReadAtOnce(const char* path, std::string* content);

// Watches a whole-file read as its bytes arrive (for work that can go on beside the read, such as
// a checksum). Both calls come on the reading thread, in order, and must return quickly and
// never throw.
class MFastFileReadObserver {
 public:
  virtual ~MFastFileReadObserver() = default;
  // Bytes [0, ready) of the buffer at `data` are final: they keep their place and value until the
  // caller touches *content after the read returned. `data` is the same on every call of one
  // read, and `ready` grows from call to call. After a successful read the last call has
  // `ready` equal to the size of *content (so the zero fill of a file that shrank is told too);
  // an empty file gives no call.
  virtual void BytesReady(const char* data, std::size_t ready) = 0;
  // The read failed: *content is about to be emptied. When this returns, the observer touches no
  // byte it was told about any more. Called once, on every failure (also before any byte came).
  virtual void ReadFailed() = 0;
};

// The bytes one piece of an observed read brings; a few MiB, so that the observer starts early
// and is told often, while each OS read still moves a large block.
constexpr std::size_t kFastFileReadPieceBytes = std::size_t{4} << 20;

// MFastFile_ReadAtOnce(path, content) with the same results and error-trace entries, telling
// `observer` as the bytes arrive. The memory for the whole file is reserved once and filled piece
// by piece (zeroed, read into, told), so that the first touch of fresh memory, the copy from the
// OS and the observer's work overlap. A null `observer` is the plain read.
int64_t MFastFile_ReadAtOnce(const char* path, std::string* content,
                             MFastFileReadObserver* observer);

// Writes `size` bytes to `path` in `mode`: 0, 1 or 2, plus 4 to flush before closing, or 10 to
// write a temporary file in the target's folder (always flushed) that replaces the target only
// once the whole block is written, flushed and closed. Mode 10 needs a folder in `path`: a bare
// file name gives GetTempFileName no directory and fails. Returns the bytes written or -1 after
// error-trace entries.
int64_t MFastFile_WriteAtOnce(const char* path, const void* data, size_t size, int mode);

// As MFastFile_WriteAtOnce, after turning every LF, CR LF and lone CR of the block into CR LF.
// Returns the bytes written (the converted length) or -1.
int64_t MFastFile_WriteLinesAtOnce(const char* path, const void* data, size_t size, int mode);
