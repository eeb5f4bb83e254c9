// One client connection to the simulated controller: the hello exchange, then one request after
// another until the client says goodbye, closes, breaks the protocol, stays silent too long or a
// fault cuts it off. Requests are decoded with the talk library's codec and handed to the
// Controller; the transport is the talk library's Socket.
//
// Several connections may be open at once (each on a thread of its own), but only one client at
// a time holds the controller: the others wait a moment for it and are then answered "busy". So
// the journal holds one client's lines from CONNECT to DISCONNECT, then the next client's.
#pragma once

#include <condition_variable>
#include <mutex>

#include "controller.h"
#include "socket.h"

namespace sim {

// How long the simulator waits for a client, in milliseconds. Each bound keeps one client from
// holding the simulator for everyone.
struct Limits {
  int hello_ms = 10000;          // from the connection to the end of its hello
  int busy_wait_ms = 2000;       // a hello waits this long for the client before it to leave
  int idle_ms = 600000;          // between two requests (an operator reading a message box)
  int request_ms = 30000;        // from the first byte of a request to its last
  int transfer_idle_ms = 60000;  // during a transfer: the longest pause between two bytes
};

// The controller and the right to use it, which one client at a time holds.
struct SharedController {
  explicit SharedController(Controller* c) : controller(c) {}

  Controller* controller;
  std::mutex mutex;
  std::condition_variable released;
  bool held = false;                 // guarded by mutex
  bool retired = false;              // guarded by mutex; later clients are answered "busy"
  bool retire_after_client = false;  // --once: the first client served is the last
};

// Serves `client` until the connection ends; the socket is closed on return. Problems of the
// connection (protocol errors, socket errors, time-outs) are reported on stderr and end only this
// connection. True when the client was served (it held the controller).
bool ServeClient(talk::Socket client, SharedController* shared, const Limits& limits);

}  // namespace sim
