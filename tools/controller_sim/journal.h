// The simulator's journal: one line per request of a client, so that a test or an operator can
// see afterwards exactly what a client asked of the controller and what it sent.
//
// Lines are tab-separated and end in "\n":
//   CONNECT / MACHINE_NAME / COMPONENTS / OPTIONS / CAPABILITIES / DISCONNECT
//   SEND <name> <size> <crc32>        a transfer that succeeded (CRC-32 as 8 lower-case digits)
//   SEND_FAILED <name> <reason>       a transfer that failed or was cut off
//   RECEIVE <name>                    every Receive, whether it succeeded or not
//   SET <name> <value as %g>          every Set, whether it succeeded or not
// A tab, line end or backslash inside a name is written as \t, \n, \r or \\ so that every request
// stays one line.
//
// Every line is appended and flushed as it is written: a journal read while the simulator runs,
// or after it was killed, holds every request so far. Used by one thread at a time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>

namespace sim {

class Journal {
 public:
  Journal() = default;
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Opens `path` for appending (created when missing). Without a successful Open every write is
  // dropped, which is how the simulator runs without --journal.
  bool Open(const std::string& path, std::string* error);

  void Connect() { WriteLine("CONNECT", {}); }
  void MachineName() { WriteLine("MACHINE_NAME", {}); }
  void Components() { WriteLine("COMPONENTS", {}); }
  void Options() { WriteLine("OPTIONS", {}); }
  void Capabilities() { WriteLine("CAPABILITIES", {}); }
  void Disconnect() { WriteLine("DISCONNECT", {}); }
  void Send(const std::string& name, std::uint64_t size, std::uint32_t crc);
  void SendFailed(const std::string& name, const std::string& reason);
  void Receive(const std::string& name);
  void Set(const std::string& name, double value);

 private:
  // `tag`, then each field after a tab with tab, CR, LF and backslash written as \t, \r, \n
  // and \\, then "\n".
  void WriteLine(const char* tag, std::initializer_list<const std::string*> fields);

  std::FILE* file_ = nullptr;
};

}  // namespace sim
