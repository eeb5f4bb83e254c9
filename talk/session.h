// One protocol conversation with a controller: connect, hello, one request at a time, streamed
// sends, goodbye. CTevarTalkCOM owns one Session and turns its failures into CTevarTalkError;
// the Session itself reports with a bool and an error text. Used by one thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "connection_text.h"
#include "frame_codec.h"
#include "socket.h"

namespace talk {

enum class OpenResult {
  kConnected,
  kUnreachable,  // no TCP connection, or no hello answer within the connect time-out
  kRefused,      // the controller answered REFUSED
  kBroken,  // the peer answered the hello with a bad frame or a wrong one (error text says how)
};

class Session {
 public:
  Session(Endpoint endpoint, Timeouts timeouts)
      : endpoint_(std::move(endpoint)), timeouts_(timeouts) {}
  // Sends BYE (best effort, without waiting) and closes.
  ~Session();

  // Connects and performs the hello exchange, both within the connect time-out. *error says what
  // went wrong for every result but kConnected.
  OpenResult Open(std::string* error);

  // Sends one request and waits for its response, skipping keep-alives. On OK, *result gets the
  // response payload. On ERROR, *error gets the controller's text and the session stays usable;
  // on any other failure the session is closed (lost() turns true). A frame that arrived before
  // the request (no request was pending) is a protocol error.
  bool Request(std::uint8_t type, const std::string& payload, std::string* result,
               std::string* error);

  // Streams `data` to the component `name` in send-chunk frames straight from `data`, then waits
  // for the controller's verdict (as Request).
  bool Send(const std::string& name, const std::string& data, std::string* error);

  bool connected() const { return socket_.valid(); }
  bool lost() const { return lost_; }

 private:
  OpenResult CheckHelloAnswer(const Frame& frame, std::string* error);
  bool WriteOrLose(std::uint8_t type, const char* data, std::size_t size, std::string* error);
  bool AwaitResponse(std::string* result, std::string* error);
  bool NothingPending(std::string* error);
  void Lose(const std::string& reason, std::string* error);

  Endpoint endpoint_;
  Timeouts timeouts_;
  Socket socket_;
  bool lost_ = false;
};

}  // namespace talk
