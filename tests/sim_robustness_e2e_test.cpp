// The simulator as a program: a broken station file or command line ends it with status 2 and the
// reason; a frame-long name is answered within the frame bound; clients that stay silent or hold
// the controller keep no one else waiting: the others are served, or answered "busy".
#include <gtest/gtest.h>

#include "fake_peer.h"
#include "sim_fixture.h"
#include "sim_process.h"

namespace {

TEST(SimulatorProgram, BadStationFilesAndCommandLinesEndWithStatus2AndTheReason) {
  e2e::SimProcess sim("SimulatorProgram");
  e2e::WriteFileText(sim.dir() + "/bad.ini", "[machine]\nname = M\n[faults]\nrefuse = maybe\n");
  e2e::WriteFileText(sim.dir() + "/twice.ini", "[machine]\nname = M\n[machine]\nname = N\n");
  const std::string bad = e2e::SimPath(sim.dir() + "/bad.ini");
  const std::string twice = e2e::SimPath(sim.dir() + "/twice.ini");
  const std::string missing = e2e::SimPath(sim.dir() + "/missing.ini");
  const struct {
    std::vector<std::string> args;
    std::string start;  // of what the simulator writes to stderr
  } cases[] = {
      {{"--station", bad, "--port", "0"},
       "controller_sim: station file '" + bad +
           "': [faults] refuse must be 0 or 1, not \"maybe\"\n"},
      {{"--station", missing}, "controller_sim: station file '" + missing + "': cannot be read\n"},
      {{"--station", twice},
       "controller_sim: station file '" + twice + "': Section [machine] seen twice\n"},
      {{"--station", "s.ini", "--port", "70000"},
       "controller_sim: invalid port '70000' (a number from 0 to 65535)\n"
       "usage: controller_sim --station FILE"},
  };
  for (const auto& c : cases) {
    std::string error;
    ASSERT_TRUE(sim.Start(c.args, &error)) << error;
    int status = -1;
    EXPECT_TRUE(sim.Wait(20000, &status));
    EXPECT_EQ(2, status);
    const std::string text = e2e::ReadFileText(sim.dir() + "/stderr.txt");
    EXPECT_EQ(0u, text.find(c.start)) << text;
  }
}

using talk::testing::ReadRequest;  // reads any frame, type 0 once the simulator closed
using talk::testing::SendRaw;

class SimRobustnessE2E : public e2e::SimFixture {
 protected:
  void SetUp() override { StartSim("[machine]\nname = M\n[components]\nipo = 1\n"); }
  talk::Socket Connect() {
    talk::Socket socket;
    std::string error;
    EXPECT_TRUE(talk::Socket::Connect("127.0.0.1", port_, 5000, &socket, &error)) << error;
    return socket;
  }
  std::string ReadText(talk::Socket& socket, std::uint8_t type) {
    const talk::Frame frame = ReadRequest(socket);
    std::string text;
    EXPECT_EQ(type, frame.type);
    EXPECT_TRUE(talk::DecodeText(frame.payload, &text));
    return text;
  }
  void Hello(talk::Socket& socket) {
    SendRaw(socket, talk::EncodeFrame(talk::kHello, talk::EncodeU32(talk::kProtocolVersion)));
    EXPECT_EQ(talk::kHelloOk, ReadRequest(socket, talk::Framing::kPlain).type);
  }
};

// The longest name a request frame carries: its error answer must still fit in a frame, and the
// connection stays usable. (Clients that break the protocol are checked against one connection.)
TEST_F(SimRobustnessE2E, AFrameLongNameGetsAnErrorWithinTheFrameBound) {
  const std::string name(talk::kDefaultMaxFrameBytes - 4, 'n');
  talk::Socket socket = Connect();
  Hello(socket);
  SendRaw(socket, talk::EncodeTaggedFrame(talk::kReceive, 1, talk::EncodeText(name)));
  EXPECT_EQ("unknown value \"" + name.substr(0, 256) + "...\"", ReadText(socket, talk::kError));
  SendRaw(socket, talk::EncodeTaggedFrame(talk::kMachineName, 2, ""));
  EXPECT_EQ("M", ReadText(socket, talk::kOk));
  socket.Close();
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "RECEIVE\t" + name, "MACHINE_NAME", "DISCONNECT"}),
            Journal(4));
}

TEST_F(SimRobustnessE2E, SilentClientsKeepNoOneWaitingAndAHeldControllerAnswersBusy) {
  std::vector<talk::Socket> silent;  // more than the listening backlog, none says hello
  for (int i = 0; i < 20; ++i)
    silent.push_back(Connect());
  talk::Socket holder = Connect();
  Hello(holder);  // holds the controller and says nothing more
  MTalkClient busy;
  busy.SetConnection("127.0.0.1", port_);
  EXPECT_FALSE(busy.Open());
  EXPECT_EQ(-2, busy.TalkObject()->connectionState);
  EXPECT_EQ("controller at 127.0.0.1 port " + port_ +
                " refused the connection: the controller is busy with another client",
            busy.LastLinkError());
  holder.Close();
  MTalkClient next;
  OpenClient(&next);
  EXPECT_EQ("M", next.GetMachineName());
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "DISCONNECT", "CONNECT", "MACHINE_NAME"}),
            Journal(4));
}

}  // namespace
