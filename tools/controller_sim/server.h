// The simulator's listening socket and its accept loop. Every connection gets a thread of its own
// and is served as session.h describes (one client at a time holds the controller, the others are
// answered "busy"), so a client that connects and stays silent keeps no one else waiting.
#pragma once

#include <string>

#include "controller.h"
#include "session.h"
#include "socket.h"

namespace sim {

// Connections open at once (served, waiting or saying hello); one more is closed at once.
constexpr int kMaxOpenConnections = 128;

class Server {
 public:
  explicit Server(Limits limits = Limits()) : limits_(limits) {}

  // Listens on `host` ("" = every IPv4 address) and `port` ("0" = a free port).
  bool Listen(const std::string& host, const std::string& port, std::string* error);
  // The port actually listened on (meaningful after a successful Listen).
  int port() const { return listener_.LocalPort(); }
  // Serves clients until the listening socket fails; with `once`, returns after the first client
  // that said hello and was served has gone. False when accepting failed. `controller` must
  // outlive the call; connections still open when it returns no longer touch it.
  bool Run(Controller* controller, bool once, std::string* error);

 private:
  Limits limits_;
  talk::Socket listener_;
};

// Writes the port and "\n" to `path`. The file appears complete or not at all (written beside it
// and renamed), so a test polling for it never reads half a number.
bool WritePortFile(const std::string& path, int port, std::string* error);

}  // namespace sim
