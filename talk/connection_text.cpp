// Connection texts and time-outs. The program builds the text as host, one blank, port, and
// either half may be empty, so both halves have defaults.
#include "connection_text.h"

#include <cstdlib>

#include "wire_protocol.h"

namespace talk {

namespace {

constexpr const char* kDefaultHost = "127.0.0.1";
constexpr const char* kDefaultPort = "4170";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The next blank-separated word starting at *pos; *pos moves past it and the blanks after it.
std::string NextWord(const std::string& text, std::size_t* pos) {
  while (*pos < text.size() && IsBlank(text[*pos]))
    ++*pos;
  std::size_t start = *pos;
  while (*pos < text.size() && !IsBlank(text[*pos]))
    ++*pos;
  std::string word = text.substr(start, *pos - start);
  while (*pos < text.size() && IsBlank(text[*pos]))
    ++*pos;
  return word;
}

bool IsPortNumber(const std::string& port) {
  if (port.empty() || port.size() > 5)
    return false;
  for (char c : port)
    if (c < '0' || c > '9')
      return false;
  long value = std::strtol(port.c_str(), nullptr, 10);
  return value >= 1 && value <= 65535;
}

bool IsDigits(const std::string& word) {
  return !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
}

// The milliseconds in the environment variable `name`, or `fallback` when it is unset or malformed.
int MillisecondsFromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0')
    return fallback;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value <= 0 || value > 24L * 3600 * 1000)
    return fallback;
  return static_cast<int>(value);
}

}  // namespace

bool ParseConnectionText(const std::string& text, Endpoint* endpoint, std::string* error) {
  // Host and port come from an update description unchanged, blanks included (" 10.0.0.7  4170"),
  // so the words count, not the blanks. A single word is the port when it is a number, else the
  // host: the program writes " port" when only the port is known and "host " when only the host.
  std::size_t pos = 0;
  std::string host = NextWord(text, &pos);
  std::string port = NextWord(text, &pos);
  if (pos < text.size()) {
    *error = "invalid connection text '" + text + "': expected \"host port\"";
    return false;
  }
  if (port.empty() && IsDigits(host))
    host.swap(port);
  if (!port.empty() && !IsPortNumber(port)) {
    *error = "invalid connection text '" + text + "': port '" + port +
             "' is not a number from 1 to 65535";
    return false;
  }
  endpoint->host = host.empty() ? kDefaultHost : host;
  endpoint->port = port.empty() ? kDefaultPort : port;
  return true;
}

std::string DefaultConnectionText() {
  const char* text = std::getenv(kConnectionEnvVar);
  return text != nullptr && *text != '\0' ? text : kDefaultConnection;
}

Timeouts TimeoutsFromEnvironment() {
  const int wait_ms = MillisecondsFromEnvironment(kTimeoutEnvVar, -1);
  Timeouts timeouts;
  timeouts.connect_ms = wait_ms > 0 ? wait_ms : kDefaultConnectTimeoutMs;
  timeouts.idle_ms = wait_ms > 0 ? wait_ms : kDefaultIdleTimeoutMs;
  timeouts.request_ms =
      MillisecondsFromEnvironment(kRequestTimeoutEnvVar, kDefaultRequestTimeoutMs);
  return timeouts;
}

}  // namespace talk
