// One protocol conversation with a controller: connect, hello, one request at a time, streamed
// sends, goodbye. CTevarTalkCOM owns one Session and turns its failures into CTevarTalkError;
// the Session itself reports with a bool and an error text. Used by one thread at a time.
//
// Every request gets an id of its own, which the controller's answer carries back: a frame with
// another id (a late or doubled answer, anything the controller sends unasked) answers no open
// request, so it is dropped and noted, never taken as the answer. A request as a whole is bounded
// by the request limit, however many keep-alives arrive. What is read of a frame is what is kept:
// the rest of a long error text and every dropped frame are discarded as they arrive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

  // Sends one request of `type` and waits for the answer that carries its id, skipping its
  // keep-alives. `subject` (a value or channel name; may be empty) names the request in the text
  // of the request limit. On OK, *result gets the answer's payload. On ERROR, *error gets the
  // controller's text (its first kMaxKeptTextBytes) and the session stays usable; on any other
  // failure the session is closed (lost() turns true).
  bool Request(std::uint8_t type, const std::string& subject, const std::string& payload,
               std::string* result, std::string* error);

  // Streams `data` to the component `name` in send-chunk frames straight from `data`, then waits
  // for the controller's verdict (as Request). While the controller takes no more bytes, what it
  // says is read: an ERROR then ends the send at once with its text, and the connection, whose
  // transfer was cut, is closed.
  bool Send(const std::string& name, const std::string& data, std::string* error);

  // One text for each frame dropped since the last call (at most 16, then one text that counts
  // the rest), oldest first; the list is emptied.
  std::vector<std::string> TakeNotices();

  bool connected() const { return socket_.valid(); }
  bool lost() const { return lost_; }

 private:
  IoStatus ReadHelloAnswer(const FrameHeader& header, OpenResult* result, std::string* error,
                           std::string* reason);
  bool Begin(std::uint8_t type, const std::string& subject, std::string* error);
  bool Finish(bool ok);
  bool WriteRequest(std::uint8_t type, const char* data, std::size_t size, std::string* error);
  bool SendHeard(const char* data, std::size_t size, std::string* error);
  bool HearDuringSend(std::string* error);
  bool AwaitAnswer(std::string* result, std::string* error);
  bool ReadHeader(FrameHeader* header, std::string* error);
  bool ReadPayload(std::uint32_t length, std::string* payload, std::string* error);
  void ReadErrorAnswer(std::uint32_t length, std::string* error);
  IoStatus ReadText(std::uint32_t length, std::string* text, bool* well_formed,
                    std::string* reason);
  bool DropFrame(const FrameHeader& header, std::string* error);
  IoStatus Discard(std::uint32_t count, std::string* reason);
  void LoseAfter(IoStatus status, const std::string& reason, std::string* error);
  void Lose(const std::string& reason, std::string* error);

  Endpoint endpoint_;
  Timeouts timeouts_;
  Socket socket_;
  bool lost_ = false;

  // The open request: its id (0 when none is open) and what it is; the socket's deadline is its
  // limit.
  std::uint32_t request_id_ = 0;
  std::uint8_t request_type_ = 0;
  const std::string* request_subject_ = nullptr;
  std::uint32_t last_id_ = 0;

  std::vector<std::string> notices_;
  std::uint64_t unnoted_drops_ = 0;
};

}  // namespace talk
