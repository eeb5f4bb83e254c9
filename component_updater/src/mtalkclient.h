// MTalkClient: the program's wrapper around the machine-talk library. The update run creates one
// on its stack, sets host and port, opens it once and hands it to the update steps by pointer.
// The transfer operations (Send, Receive, Set) turn the library's CTevarTalkError into false with
// an error-trace entry; the reading operations pass the library's exceptions through.
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

  // The reason of the client's most recent failure in the machine-talk library's words: why the
  // connection could not be made, or the text of the last transfer that failed. Empty while
  // nothing failed.
  std::string LastLinkError() const { return last_error_; }
  // The text of the failure that lost an open connection; empty while it stands.
  std::string LostConnectionReason() const { return lost_reason_; }

  // For tests and the update run: whether an open succeeded, and the talk object (may be null).
  bool IsConnected() const { return connected; }
  CTevarTalkCOM* TalkObject() const { return talk.get(); }

 private:
  CTevarTalkCOM& Talk();
  void NoteFailure(const std::string& text);

  std::unique_ptr<CTevarTalkCOM> talk;  // none until opened
  bool connected;                       // true once an open succeeded; never reset
  std::string host;
  std::string port;
  std::string last_error_;
  std::string lost_reason_;
};
