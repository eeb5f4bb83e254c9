// Test double for the controller side: a loopback listener whose one connection is served by a
// script on a thread of its own, plus helpers that scripts use to read requests and answer them.
// Header-only and used by tests only (the library never includes it).
#pragma once

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "frame_io.h"
#include "messages.h"
#include "socket.h"
#include "wire_protocol.h"

namespace talk {
namespace testing {

// Long enough for a slow Wine start, short enough that a broken test ends.
constexpr int kPeerWaitMs = 20000;

inline void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  if (*value == '\0')
    unsetenv(name);
  else
    setenv(name, value, 1);
#endif
}

// Reads one frame; a frame of type 0 when the stream failed or ended.
inline Frame ReadRequest(Socket& socket) {
  Frame frame;
  std::string error;
  if (ReadFrame(socket, kDefaultMaxFrameBytes, kPeerWaitMs, &frame, &error) != IoStatus::kOk)
    frame.type = 0;
  return frame;
}

inline void Reply(Socket& socket, std::uint8_t type, const std::string& payload = "") {
  std::string error;
  WriteFrame(socket, type, payload, kPeerWaitMs, &error);
}

inline void SendRaw(Socket& socket, const std::string& bytes) {
  std::string error;
  socket.SendAll(bytes.data(), bytes.size(), kPeerWaitMs, &error);
}

// Reads the client's HELLO and accepts it; false when the first frame was something else.
inline bool AcceptHello(Socket& socket) {
  Frame hello = ReadRequest(socket);
  if (hello.type != kHello)
    return false;
  Reply(socket, kHelloOk, EncodeU32(kProtocolVersion));
  return true;
}

class FakePeer {
 public:
  using Script = std::function<void(Socket& client)>;

  // Listens on a free loopback port and serves the first connection with `script`.
  explicit FakePeer(Script script) {
    std::string error;
    Socket::Listen("127.0.0.1", "0", &listener_, &error);
    port_ = std::to_string(listener_.LocalPort());
    thread_ = std::thread([this, script] {
      Socket client;
      std::string ignored;
      if (listener_.Accept(kPeerWaitMs, &client, &ignored) == IoStatus::kOk)
        script(client);
    });
  }
  ~FakePeer() { thread_.join(); }
  FakePeer(const FakePeer&) = delete;
  FakePeer& operator=(const FakePeer&) = delete;

  const std::string& port() const { return port_; }
  std::string connection() const { return "127.0.0.1 " + port_; }

 private:
  Socket listener_;
  std::string port_;
  std::thread thread_;
};

// A port on which nothing listens (it was free a moment ago).
inline std::string UnusedPort() {
  Socket probe;
  std::string error;
  Socket::Listen("127.0.0.1", "0", &probe, &error);
  return std::to_string(probe.LocalPort());
}

}  // namespace testing
}  // namespace talk
