// The simulated controller as a station file describes it: what the machine reports, which values
// and channels it has, which version a component reports after a transfer, and which faults to
// inject. Plain data, filled by ReadStationFile and read by Controller.
#pragma once

#include <map>
#include <set>
#include <string>

namespace sim {

// Faults the controller injects, each by request name.
struct StationFaults {
  bool refuse = false;                     // decline every machine connection
  bool capabilities_error = false;         // the channel query answers failure, no channels
  std::set<std::string> send_error;        // transfers to these components fail
  std::set<std::string> receive_error;     // Receive of these values fails
  std::set<std::string> set_error;         // Set of these channels fails
  std::set<std::string> drop_during_send;  // transfers to these are cut off half-way
  double send_seconds = 0.0;               // every transfer takes at least this long
};

struct Station {
  std::string machine_name;
  std::map<std::string, std::string> components;  // component -> installed version
  std::map<std::string, std::string> options;     // option key -> value
  std::map<std::string, std::string> values;      // Receive name -> text
  std::map<std::string, std::string> channels;    // channel name -> free text (unused)
  std::map<std::string, std::string> after_send;  // component -> version after a transfer
  StationFaults faults;
};

}  // namespace sim
