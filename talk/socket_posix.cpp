// BSD-socket body of Socket: non-blocking descriptors, poll() for every wait, MSG_NOSIGNAL so a
// peer that went away gives an error instead of killing the process with SIGPIPE.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "socket.h"
#include "socket_platform.h"

namespace talk {

namespace {

std::string ErrorText(int error) {
  return std::strerror(error);
}

bool MakeNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Resolves host and port; the caller frees the list.
bool Resolve(const std::string& host, const std::string& port, bool passive, addrinfo** list,
             std::string* error) {
  addrinfo hints{};
  hints.ai_family = passive ? AF_INET : AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = passive ? AI_PASSIVE : 0;
  int rc = getaddrinfo(host.empty() ? nullptr : host.c_str(), port.c_str(), &hints, list);
  if (rc != 0) {
    *error = "cannot resolve " + host + " port " + port + ": " + gai_strerror(rc);
    return false;
  }
  return true;
}

// Starts a non-blocking connect and waits for its outcome; 0 or the errno of the failure.
int ConnectOne(int fd, const addrinfo* address, int timeout_ms) {
  if (connect(fd, address->ai_addr, address->ai_addrlen) == 0)
    return 0;
  if (errno != EINPROGRESS)
    return errno;
  std::string ignored;
  IoStatus ready = detail::WaitReady(fd, detail::WaitFor::kWrite, timeout_ms, nullptr, &ignored);
  if (ready == IoStatus::kTimedOut)
    return ETIMEDOUT;
  int so_error = 0;
  socklen_t length = sizeof so_error;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &so_error, &length) != 0)
    return errno;
  return so_error;
}

}  // namespace

bool Socket::Connect(const std::string& host, const std::string& port, int timeout_ms, Socket* out,
                     std::string* error) {
  const Deadline deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  addrinfo* list = nullptr;
  if (!Resolve(host, port, false, &list, error))
    return false;
  int last_error = ECONNREFUSED;
  for (addrinfo* a = list; a != nullptr; a = a->ai_next) {
    int fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (fd < 0 || !MakeNonBlocking(fd)) {
      last_error = errno;
      if (fd >= 0)
        close(fd);
      continue;
    }
    last_error = ConnectOne(fd, a, MillisecondsUntil(deadline));
    if (last_error == 0) {
      int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      freeaddrinfo(list);
      *out = Socket(fd);
      return true;
    }
    close(fd);
  }
  freeaddrinfo(list);
  *error = "connect to " + host + " port " + port + " failed: " + ErrorText(last_error);
  return false;
}

bool Socket::Listen(const std::string& host, const std::string& port, Socket* out,
                    std::string* error) {
  addrinfo* list = nullptr;
  if (!Resolve(host, port, true, &list, error))
    return false;
  int fd = socket(list->ai_family, list->ai_socktype, list->ai_protocol);
  int one = 1;
  bool ok = fd >= 0 && setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) == 0 &&
            bind(fd, list->ai_addr, list->ai_addrlen) == 0 && listen(fd, 16) == 0 &&
            MakeNonBlocking(fd);
  int saved = errno;
  freeaddrinfo(list);
  if (!ok) {
    if (fd >= 0)
      close(fd);
    *error = "listen on " + host + " port " + port + " failed: " + ErrorText(saved);
    return false;
  }
  *out = Socket(fd);
  return true;
}

int Socket::LocalPort() const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(static_cast<int>(handle_), reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return -1;
  if (address.ss_family == AF_INET)
    return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  if (address.ss_family == AF_INET6)
    return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  return -1;
}

IoStatus Socket::Accept(int timeout_ms, Socket* out, std::string* error) {
  for (;;) {
    int fd = accept(static_cast<int>(handle_), nullptr, nullptr);
    if (fd >= 0) {
      // Accepted descriptors do not inherit O_NONBLOCK on Linux.
      int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      MakeNonBlocking(fd);
      *out = Socket(fd);
      return IoStatus::kOk;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) {
      *error = "accept failed: " + ErrorText(errno);
      return IoStatus::kFailed;
    }
    IoStatus ready = detail::WaitReady(handle_, detail::WaitFor::kRead, timeout_ms, nullptr, error);
    if (ready == IoStatus::kTimedOut)
      *error = "time-out: no client connected";
    if (ready != IoStatus::kOk)
      return ready;
  }
}

void Socket::ShutdownSend() {
  if (valid())
    shutdown(static_cast<int>(handle_), SHUT_WR);
}

namespace detail {

IoStatus WaitReady(NativeSocket socket, WaitFor what, int timeout_ms, bool* readable,
                   std::string* error) {
  pollfd entry{};
  entry.fd = static_cast<int>(socket);
  entry.events = what == WaitFor::kRead    ? POLLIN
                 : what == WaitFor::kWrite ? POLLOUT
                                           : POLLIN | POLLOUT;
  for (;;) {
    int rc = poll(&entry, 1, timeout_ms < 0 ? -1 : timeout_ms);
    if (rc > 0) {
      // Error and hang-up states show in the next call; a read reports them best.
      if (readable != nullptr)
        *readable = (entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
      return IoStatus::kOk;
    }
    if (rc == 0)
      return IoStatus::kTimedOut;
    if (errno != EINTR) {
      *error = "poll failed: " + ErrorText(errno);
      return IoStatus::kFailed;
    }
  }
}

long SendOnce(NativeSocket socket, const char* data, std::size_t size, std::string* error) {
  for (;;) {
    ssize_t sent = send(static_cast<int>(socket), data, size, MSG_NOSIGNAL);
    if (sent >= 0)
      return static_cast<long>(sent);
    if (errno == EINTR)
      continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
      return 0;
    *error = "send failed: " + ErrorText(errno);
    return -1;
  }
}

long ReceiveOnce(NativeSocket socket, char* data, std::size_t capacity, std::string* error) {
  for (;;) {
    ssize_t got = recv(static_cast<int>(socket), data, capacity, 0);
    if (got >= 0)
      return static_cast<long>(got);
    if (errno == EINTR)
      continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
      return -1;
    *error = "receive failed: " + ErrorText(errno);
    return -2;
  }
}

void CloseNative(NativeSocket socket) {
  close(static_cast<int>(socket));
}

}  // namespace detail

}  // namespace talk
