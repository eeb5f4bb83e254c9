// Command-line rules of the simulator: defaults, every option, and each kind of mistake.
#include "command_line.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

// Every field of the options, so that a value landing in the wrong field shows.
std::string Parsed(const std::vector<std::string>& args) {
  SimOptions o;
  std::string error;
  EXPECT_TRUE(ParseCommandLine(args, &o, &error)) << error;
  return o.station + "|" + o.host + "|" + o.port + "|" + o.port_file + "|" + o.journal + "|" +
         (o.once ? "once" : "") + "|" + (o.help ? "help" : "");
}

TEST(SimCommandLine, DefaultsAndEveryOption) {
  EXPECT_EQ(Parsed({"--station", "s.ini"}), "s.ini|127.0.0.1|4170||||");
  EXPECT_EQ(Parsed({"--once", "--port", "0", "--host", "", "--port-file", "p.txt", "--journal",
                    "j.log", "--station", "x.ini"}),
            "x.ini||0|p.txt|j.log|once|");
  EXPECT_EQ(Parsed({"--help"}), "|127.0.0.1|4170||||help");
}

TEST(SimCommandLine, MistakesAreNamedExactly) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{}, "option --station is required"},
      {{"--station"}, "option --station needs a value"},
      {{"--station", "s", "--verbose"}, "unknown argument '--verbose'"},
      {{"--station", "s", "extra"}, "unknown argument 'extra'"},
      {{"--station", "s", "--port", "1", "--port", "2"}, "option --port given twice"},
      {{"--station", "s", "--port", "65536"}, "invalid port '65536' (a number from 0 to 65535)"},
      {{"--station", "s", "--port", " 80"}, "invalid port ' 80' (a number from 0 to 65535)"},
  };
  for (const auto& c : cases) {
    SimOptions o;
    std::string error;
    EXPECT_FALSE(ParseCommandLine(c.args, &o, &error)) << c.error;
    EXPECT_EQ(c.error, error);
  }
}

}  // namespace
}  // namespace sim
