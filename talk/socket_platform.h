// The few socket primitives that differ between the platforms, used by socket.cpp to build the
// transfer loops once. Internal to the talk library. All sockets are non-blocking.
#pragma once

#include <cstddef>
#include <string>

#include "socket.h"

namespace talk {
namespace detail {

enum class WaitFor { kRead, kWrite, kReadOrWrite };

// Waits until `socket` is readable (or closed by the peer) or writable, or (kReadOrWrite) either.
// kOk when ready, with *readable (when not null) telling whether it can be read; kTimedOut after
// `timeout_ms` (negative: no limit), kFailed with *error on an error.
IoStatus WaitReady(NativeSocket socket, WaitFor what, int timeout_ms, bool* readable,
                   std::string* error);

// One non-blocking send of at most `size` bytes: the count sent, 0 when the socket would block,
// -1 on an error (text in *error). Never raises SIGPIPE.
long SendOnce(NativeSocket socket, const char* data, std::size_t size, std::string* error);

// One non-blocking receive: the count received, 0 at the end of the stream, -1 when the socket
// would block, -2 on an error (text in *error).
long ReceiveOnce(NativeSocket socket, char* data, std::size_t capacity, std::string* error);

void CloseNative(NativeSocket socket);

}  // namespace detail
}  // namespace talk
