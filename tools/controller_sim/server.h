// The simulator's listening socket and its accept loop: one client at a time, any number of
// clients in a row, as a controller serves one update program after another.
#pragma once

#include <string>

#include "controller.h"
#include "socket.h"

namespace sim {

class Server {
 public:
  // Listens on `host` ("" = every IPv4 address) and `port` ("0" = a free port).
  bool Listen(const std::string& host, const std::string& port, std::string* error);
  // The port actually listened on (meaningful after a successful Listen).
  int port() const { return listener_.LocalPort(); }
  // Serves clients one after the other until the listening socket fails; with `once`, returns
  // after the first client's connection ended. False when accepting failed.
  bool Run(Controller* controller, bool once, std::string* error);

 private:
  talk::Socket listener_;
};

// Writes the port and "\n" to `path`. The file appears complete or not at all (written beside it
// and renamed), so a test polling for it never reads half a number.
bool WritePortFile(const std::string& path, int port, std::string* error);

}  // namespace sim
