// The transfer loops of Socket, shared by both platforms. Each wait gets the whole time-out, so a
// transfer that keeps moving never times out however long it takes: the time-outs are idle
// time-outs, as the protocol's keep-alive rule expects.
#include "socket.h"

#include <algorithm>

#include "socket_platform.h"

namespace talk {

namespace {

// Bytes handed to the operating system per call: large enough that a big transfer costs few
// calls, small enough for Winsock's int-sized lengths.
constexpr std::size_t kMaxBytesPerCall = 16u * 1024u * 1024u;

}  // namespace

int MillisecondsUntil(Deadline deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

Socket::Socket(Socket&& other) noexcept
    : handle_(other.handle_), deadline_(other.deadline_), has_deadline_(other.has_deadline_) {
  other.handle_ = kNoSocket;
}

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    deadline_ = other.deadline_;
    has_deadline_ = other.has_deadline_;
    other.handle_ = kNoSocket;
  }
  return *this;
}

IoStatus Socket::Wait(bool for_read, bool watch_read, int timeout_ms, bool* readable,
                      std::string* error) const {
  int wait = timeout_ms;
  bool by_deadline = false;
  if (has_deadline_) {
    const int left = MillisecondsUntil(deadline_);
    by_deadline = timeout_ms < 0 || left < timeout_ms;
    if (by_deadline)
      wait = left;
  }
  const detail::WaitFor what = for_read     ? detail::WaitFor::kRead
                               : watch_read ? detail::WaitFor::kReadOrWrite
                                            : detail::WaitFor::kWrite;
  const IoStatus ready = detail::WaitReady(handle_, what, wait, readable, error);
  if (ready == IoStatus::kTimedOut && by_deadline) {
    *error = "time-out: the exchange took longer than allowed";
    return IoStatus::kPastDeadline;
  }
  if (ready == IoStatus::kTimedOut)
    *error = std::string("time-out: ") +
             (for_read ? "no data from the peer" : "peer accepted no data") + " for " +
             std::to_string(timeout_ms) + " ms";
  return ready;
}

IoStatus Socket::WaitReadable(int timeout_ms, std::string* error) const {
  return Wait(true, false, timeout_ms, nullptr, error);
}

void Socket::Close() {
  if (handle_ == kNoSocket)
    return;
  detail::CloseNative(handle_);
  handle_ = kNoSocket;
}

IoStatus Socket::SendAll(const void* data, std::size_t size, int timeout_ms, std::string* error) {
  std::size_t sent = 0;
  return Send(data, size, timeout_ms, false, &sent, error);
}

IoStatus Socket::SendWatching(const void* data, std::size_t size, int timeout_ms, std::size_t* sent,
                              std::string* error) {
  return Send(data, size, timeout_ms, true, sent, error);
}

IoStatus Socket::Send(const void* data, std::size_t size, int timeout_ms, bool watch_read,
                      std::size_t* sent, std::string* error) {
  const char* next = static_cast<const char*>(data);
  *sent = 0;
  while (*sent < size) {
    long once =
        detail::SendOnce(handle_, next + *sent, std::min(size - *sent, kMaxBytesPerCall), error);
    if (once < 0)
      return IoStatus::kFailed;
    if (once > 0) {
      *sent += static_cast<std::size_t>(once);
      continue;
    }
    bool readable = false;
    IoStatus ready = Wait(false, watch_read, timeout_ms, &readable, error);
    if (ready != IoStatus::kOk)
      return ready;
    if (readable)
      return IoStatus::kReadable;
  }
  return IoStatus::kOk;
}

IoStatus Socket::ReceiveSome(void* data, std::size_t capacity, int timeout_ms,
                             std::size_t* received, std::string* error) {
  *received = 0;
  for (;;) {
    long got = detail::ReceiveOnce(handle_, static_cast<char*>(data),
                                   std::min(capacity, kMaxBytesPerCall), error);
    if (got > 0) {
      *received = static_cast<std::size_t>(got);
      return IoStatus::kOk;
    }
    if (got == 0) {
      *error = "connection closed by the peer";
      return IoStatus::kClosed;
    }
    if (got == -2)
      return IoStatus::kFailed;
    IoStatus ready = WaitReadable(timeout_ms, error);
    if (ready != IoStatus::kOk)
      return ready;
  }
}

IoStatus Socket::ReceiveExact(void* data, std::size_t size, int timeout_ms, std::string* error) {
  char* next = static_cast<char*>(data);
  while (size > 0) {
    std::size_t got = 0;
    IoStatus status = ReceiveSome(next, size, timeout_ms, &got, error);
    if (status != IoStatus::kOk)
      return status;
    next += got;
    size -= got;
  }
  return IoStatus::kOk;
}

}  // namespace talk
