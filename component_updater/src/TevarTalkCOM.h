// The machine-talk library's declarations, as the program compiles against them: CTevarTalkCOM,
// one connection to the machine controller, and the types of its interface. The library itself
// lives in talk/ and reports every failure by throwing CTevarTalkError.
//
// Threads: one CTevarTalkCOM is used by one thread at a time; separate objects are independent.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace talk {
class Session;
}

// The library's exception. Its first member is the message text.
class CTevarTalkError {
 public:
  explicit CTevarTalkError(std::string text) : message(std::move(text)) {}
  const char* what() const { return message.c_str(); }

  std::string message;
};

// One channel (axis) of the machine as the controller reports it.
struct CAxis {
  std::string name;
};

// Position references for Set. The program always passes NoReference (-1).
struct Position {
  enum Reference { NoReference = -1, MachineZero = 0, Workpiece = 1 };
};

// An explicit connection: when given to the constructor it replaces the connection text.
class CMTConnection {
 public:
  CMTConnection(std::string host_name, std::string port_text)
      : host(std::move(host_name)), port(std::move(port_text)) {}

  std::string host;
  std::string port;
};

class CTevarTalkCOM {
 public:
  // Called with the message of every error just before it is thrown.
  typedef void (*ErrorCallback)(void* user, const char* text);

  // Connects to the controller and performs the hello exchange. The connection is `link` when
  // given, else `connection` ("host port"; "host " and " port" use the default port 4170 and
  // host 127.0.0.1), else TEVAR_TALK_CONNECTION, else "127.0.0.1 4170".
  // A controller that cannot be reached or declines leaves connectionState negative (no throw);
  // a malformed connection text or a peer that does not speak the protocol throws.
  // `callback` and `user` may be null; `link` is not kept.
  CTevarTalkCOM(ErrorCallback callback, void* user, const char* connection, CMTConnection* link);
  // Says goodbye to the controller (best effort) and closes the connection.
  ~CTevarTalkCOM();
  CTevarTalkCOM(const CTevarTalkCOM&) = delete;
  CTevarTalkCOM& operator=(const CTevarTalkCOM&) = delete;

  // The caller confirms the connection by setting this to true after construction; requests
  // made before that throw "connection not confirmed (postConnectFlag is not set)".
  bool postConnectFlag;
  // 1 while connected; -1 when the controller could not be reached, -2 when it declined the
  // connection, -3 after the connection was lost. Every request throws while it is negative.
  std::int32_t connectionState;

  // Requests. Each throws CTevarTalkError when the controller answers with an error (its text is
  // the message), when the connection is lost or times out (also at the request limit), or on a
  // protocol violation; the connection is closed after all but the first.
  std::string GetMachineName();
  std::map<std::string, std::string> GetComponentsMap();
  std::map<std::string, std::string> GetOptionsMap();
  // Fills `channels` with the controller's channel names (existing entries are kept) and
  // returns the controller's result. `flag` is passed to the controller.
  bool Capabilities(std::map<std::string, CAxis>& channels, bool flag);
  // Transfers `data` to the component `name`; returns when the controller confirmed it. The data
  // is streamed from this parameter and released with it when the call returns or throws. An
  // error the controller answers while it takes no more bytes ends the transfer at once, with the
  // controller's text, and closes the connection (the transfer was cut).
  bool Send(std::string name, std::string data);
  // `error`, when given, is set to 0 on success and -1 on failure (before the throw).
  bool Receive(std::string name, std::string& value, long* error);
  bool Set(const char* name, double value, Position::Reference reference, long* error);

  // Extensions of this library beyond the interface the program was written against:

  // The reason of the object's most recent failure: after a constructor that left
  // connectionState negative, why the connection failed (refused with the controller's reason,
  // busy, not reachable, no hello answer in time); after a request that threw, the error's
  // message. Empty while nothing has failed.
  const std::string& LastError() const { return last_error_; }

  // `callback` (may be null, the default) is called with `user` and a text for every frame that
  // the library dropped because it answered no open request (a controller's late, doubled or
  // unasked-for answer): at most 16 texts after each request, then one counting the rest.
  void SetNoticeCallback(ErrorCallback callback, void* user);

 private:
  [[noreturn]] void Fail(const std::string& text);
  talk::Session& Ready();
  // Runs one request and returns the OK payload; throws on every failure. `subject` names the
  // value or channel in a time-out text.
  std::string Request(std::uint8_t type, const std::string& payload,
                      const std::string& subject = std::string());
  void PassOnNotices();

  ErrorCallback callback_;
  void* user_;
  ErrorCallback notice_callback_ = nullptr;
  void* notice_user_ = nullptr;
  std::string last_error_;
  std::unique_ptr<talk::Session> session_;
};
