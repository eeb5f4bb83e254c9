// Accept loop and port file. The port file is the handshake with whoever started the simulator
// on port 0: it is written only once the socket listens, so a client that read it can connect.
#include "server.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "session.h"

namespace sim {

bool Server::Listen(const std::string& host, const std::string& port, std::string* error) {
  return talk::Socket::Listen(host, port, &listener_, error);
}

bool Server::Run(Controller* controller, bool once, std::string* error) {
  for (;;) {
    talk::Socket client;
    const talk::IoStatus status = listener_.Accept(-1, &client, error);
    if (status == talk::IoStatus::kTimedOut)
      continue;
    if (status != talk::IoStatus::kOk)
      return false;
    ServeClient(std::move(client), controller);
    if (once)
      return true;
  }
}

bool WritePortFile(const std::string& path, int port, std::string* error) {
  const std::string temp = path + ".tmp";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  bool ok = file != nullptr && std::fprintf(file, "%d\n", port) > 0;
  if (file != nullptr && std::fclose(file) != 0)
    ok = false;
  if (ok && std::rename(temp.c_str(), path.c_str()) == 0)
    return true;
  *error = "cannot write port file '" + path + "': " + std::strerror(errno);
  std::remove(temp.c_str());
  return false;
}

}  // namespace sim
