// Accept loop and port file. The port file is the handshake with whoever started the simulator
// on port 0: it is written only once the socket listens, so a client that read it can connect.
#include "server.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "session.h"

namespace sim {

bool Server::Listen(const std::string& host, const std::string& port, std::string* error) {
  return talk::Socket::Listen(host, port, &listener_, error);
}

bool Server::Run(Controller* controller, bool once, std::string* error) {
  // Shared with the connection threads, which may outlive this call.
  auto shared = std::make_shared<SharedController>(controller);
  shared->retire_after_client = once;
  auto open = std::make_shared<std::atomic<int>>(0);
  auto served = std::make_shared<std::atomic<bool>>(false);
  const Limits limits = limits_;
  while (!(once && *served)) {
    talk::Socket client;
    // A bounded wait, so that --once notices its client has gone.
    const talk::IoStatus status = listener_.Accept(100, &client, error);
    if (status == talk::IoStatus::kTimedOut)
      continue;
    if (status != talk::IoStatus::kOk)
      return false;
    if (*open >= kMaxOpenConnections) {
      std::fprintf(stderr, "controller_sim: too many connections, one closed at once\n");
      continue;
    }
    ++*open;
    std::thread(
        [shared, open, served, limits](talk::Socket socket) {
          if (ServeClient(std::move(socket), shared.get(), limits))
            *served = true;
          --*open;
        },
        std::move(client))
        .detach();
  }
  return true;
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
