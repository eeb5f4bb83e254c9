// Where the library connects to and how long it waits: the connection text "host port", its
// defaults, and the time-outs, with their environment overrides.
#pragma once

#include <string>

namespace talk {

struct Endpoint {
  std::string host;
  std::string port;  // decimal text, 1 to 65535
};

struct Timeouts {
  int connect_ms;
  int idle_ms;     // reading and writing: longest wait for the next byte to move
  int request_ms;  // one request as a whole, keep-alives or not
};

// Parses "host port". A missing host is 127.0.0.1, a missing port 4170; blanks and tabs around
// and between the two are skipped. A single word is the port when it is all digits, else the
// host. Fails with a text for a port that is not a number from 1 to
// 65535 or for anything after the port.
bool ParseConnectionText(const std::string& text, Endpoint* endpoint, std::string* error);

// The connection text used when the caller gives none: TEVAR_TALK_CONNECTION when set and not
// empty, else "127.0.0.1 4170".
std::string DefaultConnectionText();

// The default time-outs, or TEVAR_TALK_TIMEOUT_MS for the connect and idle ones and
// TEVAR_TALK_REQUEST_TIMEOUT_MS for the request limit (each a positive number of milliseconds, at
// most a day). A malformed value is ignored.
Timeouts TimeoutsFromEnvironment();

}  // namespace talk
