// MTalkClient: the program's wrapper around the machine-talk library. The update run creates one
// on its stack, sets host and port, opens it once and hands it to the update steps by pointer.
// The transfer operations (Send, Receive, Set) turn the library's CTevarTalkError into false with
// an error-trace entry; the reading operations pass the library's exceptions through. Frames the
// library drops because they answer no open request are written to the error log.
//
// Threads: main thread only. The client owns its talk object.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "TevarTalkCOM.h"

class MTalkClient {
 public:
  MTalkClient();
  // Destroys the talk object, if any, which closes the connection.
  ~MTalkClient();
  MTalkClient(const MTalkClient&) = delete;
  MTalkClient& operator=(const MTalkClient&) = delete;

  void SetConnection(const std::string& host, const std::string& port);

  // True at once when already connected; otherwise creates the talk object and returns whether
  // the machine answered. A failed open may be retried; it then replaces the earlier talk object.
  bool Open();

  // Creates the talk object with the connection "host port" (or the library's default when both
  // are empty). False when the library throws (console lines) or the machine cannot be reached.
  bool inst_mt_client();

  // Forward the library's results; its exceptions are not caught. Require an opened client.
  std::string GetMachineName();
  std::map<std::string, std::string> GetComponentsMap();
  std::map<std::string, std::string> GetOptionsMap();
  bool GetChannelMap(std::map<std::string, CAxis>& channels);

  // True when the library call returns, false (with an error-trace entry "%s(): error '%s'") when
  // it throws CTevarTalkError. Send releases `data` before it returns, on both paths.
  bool Send(const char* name, std::string data);
  bool Receive(const char* name, std::string& value);
  bool Set(const char* name, double value);

  // For tests and the update run: whether an open succeeded, and the talk object (may be null).
  bool IsConnected() const { return connected; }
  CTevarTalkCOM* TalkObject() const { return talk.get(); }

  // Why the link last failed: the talk object's LastError() (a failed open or transfer), or, when
  // the talk object's constructor threw and no object is stored, that exception's text. Empty
  // while nothing has failed. For reports only: no trace or log line depends on it.
  std::string LastLinkError() const;
  // The text of the transfer failure that lost an open connection; empty while it stands. Later
  // failures only say that there is no connection, so this is the reason a report can give.
  std::string LostConnectionReason() const { return lost_reason_; }

 private:
  CTevarTalkCOM& Talk();
  void NoteFailure();

  std::unique_ptr<CTevarTalkCOM> talk;  // none until opened
  bool connected;                       // true once an open succeeded; never reset
  std::string host;
  std::string port;
  std::string constructionError;  // the text of the last constructor that threw
  std::string lost_reason_;       // the failure that lost an open connection
};
