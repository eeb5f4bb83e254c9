// The Windows primitives of the fast file I/O: CreateFile, ReadFile, WriteFile,
// FlushFileBuffers, CloseHandle and GetTempFileName, 8-bit API throughout.
#include <windows.h>

#include <cstring>

#include "errtrace.h"
#include "fastfile_platform.h"
#include "os_error.h"

namespace {

HANDLE ToHandle(MFileHandle handle) {
  return reinterpret_cast<HANDLE>(handle);
}
MFileHandle FromHandle(HANDLE handle) {
  return reinterpret_cast<MFileHandle>(handle);
}

}  // namespace

bool openfile(const char* path, MFileHandle* handle) {
  // Inheritable, so that a child process started while the file is open could use it; readers
  // share reading and writing so that a writer elsewhere never blocks them.
  SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  *handle = FromHandle(h);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    MERRTRACE("openfile(): CreateFile(\"%s\") failed: %d", path, static_cast<int>(error));
    SetLastError(error);  // the caller names the error too
    return false;
  }
  return true;
}

MFileHandle OsOpenWrite(const char* path, int base_mode, bool write_through) {
  static const DWORD kAccess[] = {FILE_WRITE_DATA, FILE_APPEND_DATA, FILE_WRITE_DATA};
  static const DWORD kDisposition[] = {CREATE_NEW, OPEN_ALWAYS, CREATE_ALWAYS};
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if (write_through)
    attributes |= FILE_FLAG_WRITE_THROUGH;
  // Sharing reading only: a second writer on the same file is refused by the system.
  HANDLE h = CreateFileA(path, kAccess[base_mode], FILE_SHARE_READ, nullptr,
                         kDisposition[base_mode], attributes, nullptr);
  return FromHandle(h);
}

bool OsReadChunk(MFileHandle handle, void* buffer, uint64_t count, uint64_t* done) {
  DWORD got = 0;
  BOOL ok = ReadFile(ToHandle(handle), buffer, static_cast<DWORD>(count), &got, nullptr);
  *done = got;
  return ok != FALSE;
}

bool OsWriteChunk(MFileHandle handle, const void* buffer, uint64_t count, uint64_t* done) {
  DWORD put = 0;
  BOOL ok = WriteFile(ToHandle(handle), buffer, static_cast<DWORD>(count), &put, nullptr);
  *done = put;
  return ok != FALSE;
}

bool OsFlush(MFileHandle handle) {
  return FlushFileBuffers(ToHandle(handle)) != FALSE;
}

bool closefile(MFileHandle handle) {
  return CloseHandle(ToHandle(handle)) != FALSE;
}

bool OsCreateTempFile(const char* folder, char* name, size_t capacity) {
  // GetTempFileName writes up to MAX_PATH characters; the caller's buffer is sized for the
  // name it expects, so the result goes through a buffer of the system's size.
  char temp[MAX_PATH];
  if (GetTempFileNameA(folder, "ffw", 0, temp) == 0)
    return false;
  if (strlen(temp) >= capacity) {
    DeleteFileA(temp);
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return false;
  }
  strcpy(name, temp);
  return true;
}

bool OsRemoveFile(const char* path) {
  return DeleteFileA(path) != FALSE;
}
