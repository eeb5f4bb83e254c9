// Winsock body of Socket. Winsock is started once per process on first use and never stopped
// (the process exit releases it). Sockets are switched to non-blocking with ioctlsocket and every
// wait is a select() on the one socket. A connect that fails is reported by Winsock in the
// exception set, so the write wait watches both sets.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

#include "socket.h"
#include "socket_platform.h"

namespace talk {

namespace {

std::string ErrorText(int error) {
  char buffer[512] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(error), 0, buffer, sizeof buffer, nullptr);
  while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r' ||
                        buffer[length - 1] == ' ' || buffer[length - 1] == '.'))
    buffer[--length] = '\0';
  if (length == 0)
    return "Winsock error " + std::to_string(error);
  return buffer;
}

bool StartWinsock(std::string* error) {
  static std::once_flag once;
  static int result = 0;
  std::call_once(once, [] {
    WSADATA data;
    result = WSAStartup(MAKEWORD(2, 2), &data);
  });
  if (result != 0)
    *error = "WSAStartup failed: " + ErrorText(result);
  return result == 0;
}

SOCKET Native(NativeSocket socket) {
  return static_cast<SOCKET>(socket);
}

bool MakeNonBlocking(SOCKET s) {
  u_long on = 1;
  return ioctlsocket(s, FIONBIO, &on) == 0;
}

bool Resolve(const std::string& host, const std::string& port, bool passive, addrinfo** list,
             std::string* error) {
  if (!StartWinsock(error))
    return false;
  addrinfo hints{};
  hints.ai_family = passive ? AF_INET : AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = passive ? AI_PASSIVE : 0;
  int rc = getaddrinfo(host.empty() ? nullptr : host.c_str(), port.c_str(), &hints, list);
  if (rc != 0) {
    *error = "cannot resolve " + host + " port " + port + ": " + ErrorText(rc);
    return false;
  }
  return true;
}

// Starts a non-blocking connect and waits for its outcome; 0 or the Winsock error.
int ConnectOne(SOCKET s, const addrinfo* address, int timeout_ms) {
  if (connect(s, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0)
    return 0;
  int error = WSAGetLastError();
  if (error != WSAEWOULDBLOCK)
    return error;
  std::string ignored;
  IoStatus ready = detail::WaitReady(static_cast<NativeSocket>(s), detail::WaitFor::kWrite,
                                     timeout_ms, nullptr, &ignored);
  if (ready == IoStatus::kTimedOut)
    return WSAETIMEDOUT;
  int so_error = 0;
  int length = sizeof so_error;
  if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&so_error), &length) != 0)
    return WSAGetLastError();
  return so_error;
}

void SetNoDelay(SOCKET s) {
  BOOL one = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

}  // namespace

bool Socket::Connect(const std::string& host, const std::string& port, int timeout_ms, Socket* out,
                     std::string* error) {
  const Deadline deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  addrinfo* list = nullptr;
  if (!Resolve(host, port, false, &list, error))
    return false;
  int last_error = WSAECONNREFUSED;
  for (addrinfo* a = list; a != nullptr; a = a->ai_next) {
    SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET || !MakeNonBlocking(s)) {
      last_error = WSAGetLastError();
      if (s != INVALID_SOCKET)
        closesocket(s);
      continue;
    }
    last_error = ConnectOne(s, a, MillisecondsUntil(deadline));
    if (last_error == 0) {
      SetNoDelay(s);
      freeaddrinfo(list);
      *out = Socket(static_cast<NativeSocket>(s));
      return true;
    }
    closesocket(s);
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
  SOCKET s = socket(list->ai_family, list->ai_socktype, list->ai_protocol);
  bool ok = s != INVALID_SOCKET &&
            bind(s, list->ai_addr, static_cast<int>(list->ai_addrlen)) == 0 && listen(s, 16) == 0 &&
            MakeNonBlocking(s);
  int saved = WSAGetLastError();
  freeaddrinfo(list);
  if (!ok) {
    if (s != INVALID_SOCKET)
      closesocket(s);
    *error = "listen on " + host + " port " + port + " failed: " + ErrorText(saved);
    return false;
  }
  *out = Socket(static_cast<NativeSocket>(s));
  return true;
}

int Socket::LocalPort() const {
  sockaddr_storage address{};
  int length = sizeof address;
  if (getsockname(Native(handle_), reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return -1;
  if (address.ss_family == AF_INET)
    return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  if (address.ss_family == AF_INET6)
    return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  return -1;
}

IoStatus Socket::Accept(int timeout_ms, Socket* out, std::string* error) {
  for (;;) {
    SOCKET s = accept(Native(handle_), nullptr, nullptr);
    if (s != INVALID_SOCKET) {
      SetNoDelay(s);
      MakeNonBlocking(s);
      *out = Socket(static_cast<NativeSocket>(s));
      return IoStatus::kOk;
    }
    int code = WSAGetLastError();
    if (code != WSAEWOULDBLOCK && code != WSAECONNRESET) {
      *error = "accept failed: " + ErrorText(code);
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
    shutdown(Native(handle_), SD_SEND);
}

namespace detail {

IoStatus WaitReady(NativeSocket socket, WaitFor what, int timeout_ms, bool* readable,
                   std::string* error) {
  fd_set read_set, write_set, except_set;
  FD_ZERO(&read_set);
  FD_ZERO(&write_set);
  FD_ZERO(&except_set);
  FD_SET(Native(socket), &read_set);
  FD_SET(Native(socket), &write_set);
  FD_SET(Native(socket), &except_set);
  timeval limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  int rc = select(0, what != WaitFor::kWrite ? &read_set : nullptr,
                  what != WaitFor::kRead ? &write_set : nullptr, &except_set,
                  timeout_ms < 0 ? nullptr : &limit);
  if (rc > 0) {
    // An error state shows in the next call.
    if (readable != nullptr)
      *readable = what != WaitFor::kWrite && FD_ISSET(Native(socket), &read_set);
    return IoStatus::kOk;
  }
  if (rc == 0)
    return IoStatus::kTimedOut;
  *error = "select failed: " + ErrorText(WSAGetLastError());
  return IoStatus::kFailed;
}

long SendOnce(NativeSocket socket, const char* data, std::size_t size, std::string* error) {
  int sent = send(Native(socket), data, static_cast<int>(size), 0);
  if (sent != SOCKET_ERROR)
    return sent;
  int code = WSAGetLastError();
  if (code == WSAEWOULDBLOCK)
    return 0;
  *error = "send failed: " + ErrorText(code);
  return -1;
}

long ReceiveOnce(NativeSocket socket, char* data, std::size_t capacity, std::string* error) {
  int got = recv(Native(socket), data, static_cast<int>(capacity), 0);
  if (got != SOCKET_ERROR)
    return got;
  int code = WSAGetLastError();
  if (code == WSAEWOULDBLOCK)
    return -1;
  *error = "receive failed: " + ErrorText(code);
  return -2;
}

void CloseNative(NativeSocket socket) {
  closesocket(Native(socket));
}

}  // namespace detail

}  // namespace talk
