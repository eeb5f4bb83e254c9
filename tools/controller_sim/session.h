// One client connection to the simulated controller: the hello exchange, then one request after
// another until the client says goodbye, closes, breaks the protocol or a fault cuts it off.
// Requests are decoded with the talk library's codec and handed to the Controller; the transport
// is the talk library's Socket.
#pragma once

#include "controller.h"
#include "socket.h"

namespace sim {

// Serves `client` until the connection ends; the socket is closed on return. Problems of the
// connection (protocol errors, socket errors) are reported on stderr and end only this
// connection. `controller` must outlive the call.
void ServeClient(talk::Socket client, Controller* controller);

}  // namespace sim
