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

IoStatus Socket::Wait(bool for_read, int timeout_ms, std::string* error) const {
  int wait = timeout_ms;
  bool by_deadline = false;
  if (has_deadline_) {
    const int left = MillisecondsUntil(deadline_);
    by_deadline = timeout_ms < 0 || left < timeout_ms;
    if (by_deadline)
      wait = left;
  }
  const IoStatus ready = detail::WaitReady(
      handle_, for_read ? detail::WaitFor::kRead : detail::WaitFor::kWrite, wait, error);
  if (ready == IoStatus::kTimedOut && by_deadline)
    *error = "time-out: the exchange took longer than allowed";
  else if (ready == IoStatus::kTimedOut)
    *error = std::string("time-out: ") +
             (for_read ? "no data from the peer" : "peer accepted no data") + " for " +
             std::to_string(timeout_ms) + " ms";
  return ready;
}

void Socket::Close() {
  if (handle_ == kNoSocket)
    return;
  detail::CloseNative(handle_);
  handle_ = kNoSocket;
}

IoStatus Socket::SendAll(const void* data, std::size_t size, int timeout_ms, std::string* error) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    long sent = detail::SendOnce(handle_, next, std::min(size, kMaxBytesPerCall), error);
    if (sent < 0)
      return IoStatus::kFailed;
    if (sent == 0) {
      IoStatus ready = Wait(false, timeout_ms, error);
      if (ready != IoStatus::kOk)
        return ready;
      continue;
    }
    next += sent;
    size -= static_cast<std::size_t>(sent);
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
    IoStatus ready = Wait(true, timeout_ms, error);
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
