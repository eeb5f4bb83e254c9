// controller_sim: a simulated machine controller for rehearsing and testing updates. The entry
// only wires the pieces together: command line, station file, journal, listening socket, loop.
// Exit status: 0 after --once or a clean end, 2 for a bad command line or station file, 1 when
// the socket or a file cannot be set up.
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "controller.h"
#include "journal.h"
#include "server.h"
#include "station_file.h"

namespace {

int Fail(int status, const std::string& text) {
  std::fprintf(stderr, "controller_sim: %s\n", text.c_str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  sim::SimOptions options;
  std::string error;
  if (!sim::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
    std::fprintf(stderr, "controller_sim: %s\n%s", error.c_str(), sim::UsageText());
    return 2;
  }
  if (options.help) {
    std::fputs(sim::UsageText(), stdout);
    return 0;
  }
  sim::Station station;
  if (!sim::ReadStationFile(options.station, &station, &error))
    return Fail(2, error);
  sim::Journal journal;
  if (!options.journal.empty() && !journal.Open(options.journal, &error))
    return Fail(1, error);
  sim::Server server;
  if (!server.Listen(options.host, options.port, &error))
    return Fail(1, error);
  if (!options.port_file.empty() && !sim::WritePortFile(options.port_file, server.port(), &error))
    return Fail(1, error);
  std::fprintf(stderr, "controller_sim: %s listening on port %d\n", station.machine_name.c_str(),
               server.port());
  sim::Controller controller(std::move(station), &journal);
  if (!server.Run(&controller, options.once, &error))
    return Fail(1, error);
  return 0;
}
