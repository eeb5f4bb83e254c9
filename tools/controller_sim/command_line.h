// The simulator's command line:
//   controller_sim --station FILE [--host ADDR] [--port N] [--port-file FILE] [--journal FILE]
//                  [--once]
// Parsing is separate from the process entry so that every rule can be tested without starting
// a server.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct SimOptions {
  std::string station;             // the station file (required)
  std::string host = "127.0.0.1";  // address to listen on; "" listens on every IPv4 address
  std::string port = "4170";       // decimal 0..65535; 0 picks a free port
  std::string port_file;           // when set, receives the port and "\n" once listening
  std::string journal;             // when set, the journal is appended to this file
  bool once = false;               // exit after the first client disconnects
  bool help = false;               // --help: print the usage and exit
};

// Parses the arguments after the program name. On failure *error holds one line saying what is
// wrong (without the usage text) and *options is unspecified.
bool ParseCommandLine(const std::vector<std::string>& args, SimOptions* options,
                      std::string* error);

// The usage text, several lines ending in "\n".
const char* UsageText();

}  // namespace sim
