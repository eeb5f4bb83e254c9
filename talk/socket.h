// A TCP socket with time-outs, behind the platform seam: socket_posix.cpp uses BSD sockets,
// socket_win32.cpp uses Winsock (started once per process on first use). The client side needs
// connect, send all and receive with an idle time-out; the simulated controller needs listen,
// accept and the same transfers.
//
// Sockets are non-blocking inside; every wait is bounded by the time-out given to the call
// (milliseconds; a negative time-out waits without limit). Time-outs are idle time-outs: they
// bound the wait for the next byte to move, not the whole transfer. An exchange that must end in
// time as a whole (a hello, a request frame) sets a deadline, which cuts every wait short.
// Writing to a peer that has gone never raises a signal. A Socket is used by one thread at a time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace talk {

// The operating system's handle: a file descriptor on POSIX, a SOCKET on Windows.
using NativeSocket = std::intptr_t;
constexpr NativeSocket kNoSocket = -1;

enum class IoStatus {
  kOk,            // the whole request was done
  kClosed,        // the peer closed the connection (orderly end of stream)
  kTimedOut,      // nothing moved for the whole time-out
  kPastDeadline,  // the socket's deadline (SetDeadline) cut the wait short
  kFailed,        // an operating-system error; the error text says which
  kMalformed,     // (frame_io only) a frame header that breaks the protocol; the codec's text
  kReadable,      // (SendWatching only) the peer sent something before all was sent
};

using Deadline = std::chrono::steady_clock::time_point;

class Socket {
 public:
  Socket() = default;
  explicit Socket(NativeSocket handle) : handle_(handle) {}
  ~Socket() { Close(); }
  Socket(Socket&& other) noexcept;
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  bool valid() const { return handle_ != kNoSocket; }
  NativeSocket handle() const { return handle_; }
  // Closes the handle if open; safe to call twice.
  void Close();

  // Every later wait ends by `deadline` too: a wait cut short by it gives kPastDeadline with
  // "time-out: the exchange took longer than allowed". ClearDeadline ends that.
  void SetDeadline(Deadline deadline) {
    deadline_ = deadline;
    has_deadline_ = true;
  }
  void ClearDeadline() { has_deadline_ = false; }

  // Connects to `host` (name or address) and `port` (decimal text) within `timeout_ms`, all
  // addresses of the name together. On success
  // *out holds the connected socket (Nagle off). On failure *error says what failed, e.g.
  // "connect to 127.0.0.1 port 4170 failed: Connection refused".
  static bool Connect(const std::string& host, const std::string& port, int timeout_ms, Socket* out,
                      std::string* error);

  // Listens on `host` (an address, "" = every IPv4 address) and `port` ("0" = a free port).
  static bool Listen(const std::string& host, const std::string& port, Socket* out,
                     std::string* error);

  // The local port this socket is bound to (after Listen or Connect), or -1.
  int LocalPort() const;

  // Waits up to `timeout_ms` for a client on a listening socket; *out gets the connection.
  IoStatus Accept(int timeout_ms, Socket* out, std::string* error);

  // Sends all `size` bytes. Fails with kTimedOut when the peer accepts no byte for `timeout_ms`.
  IoStatus SendAll(const void* data, std::size_t size, int timeout_ms, std::string* error);

  // As SendAll, but while the peer accepts nothing it also watches for the peer's bytes: kReadable
  // as soon as a byte (or the end of the stream) can be read before all was sent, so the caller
  // can hear a peer that answered early and stopped reading. *sent gets the bytes sent.
  IoStatus SendWatching(const void* data, std::size_t size, int timeout_ms, std::size_t* sent,
                        std::string* error);

  // Receives exactly `size` bytes. kClosed when the stream ends first (also in the middle),
  // kTimedOut when no byte arrives for `timeout_ms`.
  IoStatus ReceiveExact(void* data, std::size_t size, int timeout_ms, std::string* error);

  // Receives what is available, at least one byte and at most `capacity`; *received gets the
  // count. kClosed at the end of the stream.
  IoStatus ReceiveSome(void* data, std::size_t capacity, int timeout_ms, std::size_t* received,
                       std::string* error);

  // Waits until a byte, or the end of the stream, can be read: kOk, or kTimedOut after
  // `timeout_ms` (or at the deadline) with the time-out text.
  IoStatus WaitReadable(int timeout_ms, std::string* error) const;

  // Ends the sending direction (the peer reads end of stream); receiving goes on.
  void ShutdownSend();

 private:
  // Waits until the socket can be read, written (or, `watch_read`, either), at most `timeout_ms`
  // and not past the deadline; a time-out gets its text in *error. *readable (when not null)
  // tells whether the socket can be read.
  IoStatus Wait(bool for_read, bool watch_read, int timeout_ms, bool* readable,
                std::string* error) const;
  IoStatus Send(const void* data, std::size_t size, int timeout_ms, bool watch_read,
                std::size_t* sent, std::string* error);

  NativeSocket handle_ = kNoSocket;
  Deadline deadline_;
  bool has_deadline_ = false;
};

// Milliseconds left until `deadline`, never below 0.
int MillisecondsUntil(Deadline deadline);

}  // namespace talk
