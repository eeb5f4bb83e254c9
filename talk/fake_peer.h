// Test double for the controller side: a loopback listener whose one connection is served by a
// script on a thread of its own, and helpers for scripts. Every wait is bounded by kPeerWaitMs,
// so a client that hangs makes its test fail, not stall. Used by tests only.
#pragma once

#include <functional>
#include <string>
#include <thread>

#include "frame_io.h"
#include "messages.h"
#include "socket.h"
#include "wire_protocol.h"

namespace talk {
namespace testing {

constexpr int kPeerWaitMs = 20000;  // long enough for a slow Wine start

// Reads one frame of the given layout (after the hello: tagged); a frame of type 0 when the
// stream failed or ended.
inline Frame ReadRequest(Socket& socket, Framing framing = Framing::kTagged) {
  Frame frame;
  std::string error;
  if (ReadFrame(socket, framing, kDefaultMaxFrameBytes, kPeerWaitMs, &frame, &error) !=
      IoStatus::kOk)
    frame.type = 0;
  return frame;
}

inline void SendRaw(Socket& socket, const std::string& bytes) {
  std::string error;
  socket.SendAll(bytes.data(), bytes.size(), kPeerWaitMs, &error);
}

// Answers `request` with a frame that carries its id.
inline void Reply(Socket& socket, const Frame& request, std::uint8_t type,
                  const std::string& payload = "") {
  SendRaw(socket, EncodeTaggedFrame(type, request.request_id, payload));
}

// Reads the client's hello and accepts it.
inline void AcceptHello(Socket& socket) {
  ReadRequest(socket, Framing::kPlain);
  SendRaw(socket, EncodeFrame(kHelloOk, EncodeU32(kProtocolVersion)));
}

class FakePeer {
 public:
  using Script = std::function<void(Socket& client)>;

  // Listens on `host` and `port` ("0": a free port) and serves the first connection with
  // `script`. listening() is false when the address was taken.
  explicit FakePeer(Script script, const char* host = "127.0.0.1", const char* port = "0")
      : host_(host) {
    std::string error;
    Socket::Listen(host, port, &listener_, &error);
    port_ = std::to_string(listener_.LocalPort());
    thread_ = std::thread([this, script] {
      Socket client;
      std::string ignored;
      if (listener_.Accept(kPeerWaitMs, &client, &ignored) == IoStatus::kOk)
        script(client);
    });
  }
  ~FakePeer() { thread_.join(); }

  bool listening() const { return listener_.valid(); }
  const std::string& port() const { return port_; }
  std::string connection() const { return host_ + " " + port_; }

 private:
  std::string host_;
  Socket listener_;
  std::string port_;
  std::thread thread_;
};

}  // namespace testing
}  // namespace talk
