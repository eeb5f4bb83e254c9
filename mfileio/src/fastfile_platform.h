// The operating-system primitives under fastfile.cpp, one body per platform
// (fastfile_win32.cpp, fastfile_posix.cpp).
//
// None of them adds diagnostics: they report failure by their result and leave the OS error
// number in LastOsError() for the caller's error-trace entry. All are reentrant.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fastfile.h"

// The largest byte count one read or write call of the OS is given.
constexpr uint64_t kMaxIoChunk = 4294967295u;

// Opens `path` for writing. `base_mode` is 0 (create new), 1 (append) or 2 (create or truncate);
// `write_through` asks for writes that reach the disk before they return. A file already open
// for writing elsewhere is refused. Returns kInvalidFileHandle on failure.
MFileHandle OsOpenWrite(const char* path, int base_mode, bool write_through);

// One read or write call of at most kMaxIoChunk bytes; *done gets the count moved.
bool OsReadChunk(MFileHandle handle, void* buffer, uint64_t count, uint64_t* done);
bool OsWriteChunk(MFileHandle handle, const void* buffer, uint64_t count, uint64_t* done);

// Pushes the file's buffered data to the disk.
bool OsFlush(MFileHandle handle);

// Creates an empty file with a new unique name beginning with "ffw" in the existing directory
// `folder` (ending with a separator) and writes its name into `name` (`capacity` bytes). An empty
// `folder` names no directory and fails, as GetTempFileName does.
bool OsCreateTempFile(const char* folder, char* name, size_t capacity);

// Deletes a file; used to drop a temporary file that never replaced its target.
bool OsRemoveFile(const char* path);
