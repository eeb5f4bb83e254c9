// The simulator against clients that misbehave at the wire level: garbage instead of a hello, a
// request before the hello, a wrong protocol version, chunks beyond the announced size, a client
// that vanishes mid-transfer. Each must end only that connection; the next is served as usual.
#include <gtest/gtest.h>

#include "frame_io.h"
#include "messages.h"
#include "mtalkclient.h"
#include "sim_fixture.h"
#include "socket.h"

namespace {

const char* const kStation = "[machine]\nname = M\n[components]\nipo = 1\n";

class SimRobustnessE2E : public e2e::SimFixture {
 protected:
  void SetUp() override { StartSim(kStation); }
  talk::Socket Connect() {
    talk::Socket socket;
    std::string error;
    EXPECT_TRUE(talk::Socket::Connect("127.0.0.1", sim_.port_text(), 5000, &socket, &error))
        << error;
    return socket;
  }
  void Write(talk::Socket& socket, std::uint8_t type, const std::string& payload) {
    std::string error;
    EXPECT_EQ(talk::IoStatus::kOk, talk::WriteFrame(socket, type, payload, 5000, &error)) << error;
  }
  // Reads the next frame; a frame of type 0 when none came.
  talk::Frame Read(talk::Socket& socket) {
    talk::Frame frame;
    std::string error;
    if (talk::ReadFrame(socket, 1u << 20, 5000, &frame, &error) != talk::IoStatus::kOk)
      frame.type = 0;
    return frame;
  }
  void Hello(talk::Socket& socket) {
    Write(socket, talk::kHello, talk::EncodeU32(talk::kProtocolVersion));
    EXPECT_EQ(talk::kHelloOk, Read(socket).type);
  }
  // True when the simulator closed the connection (possibly after answering something).
  bool ClosedByPeer(talk::Socket& socket) {
    std::string error;
    talk::Frame frame;
    for (int i = 0; i < 4; ++i) {
      const talk::IoStatus status = talk::ReadFrame(socket, 1u << 20, 5000, &frame, &error);
      if (status == talk::IoStatus::kClosed || status == talk::IoStatus::kFailed)
        return true;
      if (status == talk::IoStatus::kTimedOut)
        return false;
    }
    return false;
  }
};

// One after the other, on one simulator: each bad client loses only its own connection, the
// journal says why, and the good client at the end is served as usual.
TEST_F(SimRobustnessE2E, EachMisbehavingClientEndsOnlyItsOwnConnection) {
  {  // Garbage and a request before the hello: neither said hello, so neither is journaled.
    talk::Socket garbage = Connect();
    std::string error;
    ASSERT_EQ(talk::IoStatus::kOk, garbage.SendAll("GET / HTTP/1.0\r\n\r\n", 18, 5000, &error));
    EXPECT_TRUE(ClosedByPeer(garbage));
    talk::Socket early = Connect();
    Write(early, talk::kMachineName, "");
    EXPECT_TRUE(ClosedByPeer(early));
  }
  {  // A wrong protocol version is answered with an error, then closed.
    talk::Socket socket = Connect();
    Write(socket, talk::kHello, talk::EncodeU32(99));
    const talk::Frame frame = Read(socket);
    EXPECT_EQ(talk::kError, frame.type);
    std::string text;
    ASSERT_TRUE(talk::DecodeText(frame.payload, &text));
    EXPECT_EQ("unsupported protocol version 99", text);
    EXPECT_TRUE(ClosedByPeer(socket));
  }
  {  // Chunks beyond the announced size are a protocol error.
    talk::Socket socket = Connect();
    Hello(socket);
    Write(socket, talk::kSendBegin, talk::EncodeSendBegin({"ipo", 4}));
    Write(socket, talk::kSendChunk, "12345");
    EXPECT_TRUE(ClosedByPeer(socket));
  }
  {  // A client vanishing mid-transfer.
    talk::Socket socket = Connect();
    Hello(socket);
    Write(socket, talk::kSendBegin, talk::EncodeSendBegin({"ipo", 1000}));
    Write(socket, talk::kSendChunk, std::string(10, 'x'));
  }
  {
    MTalkClient client;
    OpenClient(&client);
    EXPECT_EQ("M", client.GetMachineName());
  }
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "DISCONNECT", "CONNECT",
                                      "SEND_FAILED\tipo\tprotocol error", "DISCONNECT", "CONNECT",
                                      "SEND_FAILED\tipo\tconnection lost", "DISCONNECT", "CONNECT",
                                      "MACHINE_NAME", "DISCONNECT"}),
            sim_.WaitForJournalLines(11));
}

}  // namespace
