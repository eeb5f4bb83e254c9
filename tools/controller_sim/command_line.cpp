// Command-line rules: every option at most once, every value-taking option followed by its value,
// the port checked here so that a typo ends the run before anything listens.
#include "command_line.h"

#include <set>

namespace sim {
namespace {

bool IsValidPort(const std::string& text) {
  if (text.empty() || text.size() > 5)
    return false;
  for (char c : text)
    if (c < '0' || c > '9')
      return false;
  return std::stol(text) <= 65535;
}

// The option's target field, or null for an option without a value.
std::string* ValueField(const std::string& name, SimOptions* o) {
  if (name == "--station")
    return &o->station;
  if (name == "--host")
    return &o->host;
  if (name == "--port")
    return &o->port;
  if (name == "--port-file")
    return &o->port_file;
  if (name == "--journal")
    return &o->journal;
  return nullptr;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, SimOptions* options,
                      std::string* error) {
  std::set<std::string> seen;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!seen.insert(arg).second && arg.rfind("--", 0) == 0) {
      *error = "option " + arg + " given twice";
      return false;
    }
    if (arg == "--once") {
      options->once = true;
    } else if (arg == "--help" || arg == "-h") {
      options->help = true;
    } else if (std::string* field = ValueField(arg, options)) {
      if (i + 1 >= args.size()) {
        *error = "option " + arg + " needs a value";
        return false;
      }
      *field = args[++i];
    } else {
      *error = "unknown argument '" + arg + "'";
      return false;
    }
  }
  if (options->help)
    return true;
  if (options->station.empty()) {
    *error = "option --station is required";
    return false;
  }
  if (!IsValidPort(options->port)) {
    *error = "invalid port '" + options->port + "' (a number from 0 to 65535)";
    return false;
  }
  return true;
}

const char* UsageText() {
  return "usage: controller_sim --station FILE [--host ADDR] [--port N] [--port-file FILE]\n"
         "                      [--journal FILE] [--once]\n"
         "  --station FILE    the simulated controller: machine, components, options, values,\n"
         "                    channels, versions after a send and injected faults\n"
         "  --host ADDR       address to listen on (default 127.0.0.1; \"\" = every address)\n"
         "  --port N          port to listen on (default 4170; 0 picks a free port)\n"
         "  --port-file FILE  write the port and a newline to FILE once listening\n"
         "  --journal FILE    append one line per client request to FILE\n"
         "  --once            exit after the first client disconnects\n";
}

}  // namespace sim
