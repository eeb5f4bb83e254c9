// Command-line rules of the simulator: defaults, every option, and each kind of mistake.
#include "command_line.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

bool Parse(const std::vector<std::string>& args, SimOptions* options, std::string* error) {
  *options = SimOptions();
  error->clear();
  return ParseCommandLine(args, options, error);
}

TEST(SimCommandLine, DefaultsAndEveryOption) {
  SimOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--station", "s.ini"}, &o, &error)) << error;
  EXPECT_EQ("s.ini", o.station);
  EXPECT_EQ("127.0.0.1", o.host);
  EXPECT_EQ("4170", o.port);
  EXPECT_EQ("", o.port_file);
  EXPECT_EQ("", o.journal);
  EXPECT_FALSE(o.once);

  ASSERT_TRUE(Parse({"--once", "--port", "0", "--host", "", "--port-file", "p.txt", "--journal",
                     "j.log", "--station", "x.ini"},
                    &o, &error))
      << error;
  EXPECT_EQ("x.ini", o.station);
  EXPECT_EQ("", o.host);
  EXPECT_EQ("0", o.port);
  EXPECT_EQ("p.txt", o.port_file);
  EXPECT_EQ("j.log", o.journal);
  EXPECT_TRUE(o.once);

  ASSERT_TRUE(Parse({"--port", "65535", "--station", "s"}, &o, &error)) << error;
  ASSERT_TRUE(Parse({"--help"}, &o, &error)) << error;
  EXPECT_TRUE(o.help);
}

TEST(SimCommandLine, MistakesAreNamedExactly) {
  SimOptions o;
  std::string error;
  EXPECT_FALSE(Parse({}, &o, &error));
  EXPECT_EQ("option --station is required", error);
  EXPECT_FALSE(Parse({"--station"}, &o, &error));
  EXPECT_EQ("option --station needs a value", error);
  EXPECT_FALSE(Parse({"--station", "s", "--journal"}, &o, &error));
  EXPECT_EQ("option --journal needs a value", error);
  EXPECT_FALSE(Parse({"--station", "s", "--verbose"}, &o, &error));
  EXPECT_EQ("unknown argument '--verbose'", error);
  EXPECT_FALSE(Parse({"--station", "s", "extra"}, &o, &error));
  EXPECT_EQ("unknown argument 'extra'", error);
  EXPECT_FALSE(Parse({"--station", "s", "--port", "1", "--port", "2"}, &o, &error));
  EXPECT_EQ("option --port given twice", error);
  for (const char* port : {"65536", "-1", "", "12a", "999999", " 80"}) {
    EXPECT_FALSE(Parse({"--station", "s", "--port", port}, &o, &error)) << port;
    EXPECT_EQ(std::string("invalid port '") + port + "' (a number from 0 to 65535)", error);
  }
}

}  // namespace
}  // namespace sim
