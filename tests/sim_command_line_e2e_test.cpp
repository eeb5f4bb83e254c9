// The simulator as a program: a broken station file or command line ends it at once with exit
// status 2 and a message naming the problem, before anything listens.
#include <gtest/gtest.h>

#include "simulated_controller.h"

namespace {

int RunSimulator(const std::string& dir, const std::vector<std::string>& args,
                 std::string* stderr_text) {
  e2e::ChildProcess process;
  std::string error;
  EXPECT_TRUE(process.Start(e2e::SimulatorPath(), args, dir + "/stderr.txt", &error)) << error;
  int status = -1;
  EXPECT_TRUE(process.Wait(20000, &status));
  *stderr_text = e2e::ReadFileText(dir + "/stderr.txt");
  return status;
}

TEST(SimulatorProgram, BadStationFileEndsWithStatus2AndTheReason) {
  ASSERT_NE("", e2e::SimulatorPath()) << "set CONTROLLER_SIM to the native controller_sim";
  const std::string dir = e2e::MakeWorkDir("BadStationFile");
  e2e::WriteFileText(dir + "/bad.ini", "[machine]\nname = M\n[faults]\nrefuse = maybe\n");
  const std::string station = e2e::SimPath(dir + "/bad.ini");
  std::string text;
  EXPECT_EQ(2, RunSimulator(dir, {"--station", station, "--port", "0"}, &text));
  EXPECT_NE(std::string::npos, text.find("controller_sim: station file '" + station +
                                         "': [faults] refuse must be 0 or 1, not \"maybe\"\n"))
      << text;

  const std::string missing = e2e::SimPath(dir + "/missing.ini");
  EXPECT_EQ(2, RunSimulator(dir, {"--station", missing}, &text));
  EXPECT_NE(std::string::npos, text.find("station file '" + missing + "'")) << text;
}

TEST(SimulatorProgram, BadCommandLineEndsWithStatus2AndTheUsage) {
  ASSERT_NE("", e2e::SimulatorPath()) << "set CONTROLLER_SIM to the native controller_sim";
  const std::string dir = e2e::MakeWorkDir("BadCommandLine");
  std::string text;
  EXPECT_EQ(2, RunSimulator(dir, {"--station", "s.ini", "--port", "70000"}, &text));
  EXPECT_EQ(0u, text.find("controller_sim: invalid port '70000' (a number from 0 to 65535)\n"
                          "usage: controller_sim --station FILE"))
      << text;
  EXPECT_EQ(2, RunSimulator(dir, {}, &text));
  EXPECT_EQ(0u, text.find("controller_sim: option --station is required\n")) << text;
}

}  // namespace
