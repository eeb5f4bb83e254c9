// MTalkClient: connection texts and their traces, console lines of a failing library, one talk
// object per successful open, and the error entries of the transfer operations.
#include "mtalkclient.h"

#include <gtest/gtest.h>

#include "diag_testing.h"
#include "errtrace.h"
#include "fake_peer.h"
#include "fileio_testing.h"

namespace {

using talk::Frame;
using talk::Socket;
using talk::testing::AcceptHello;
using talk::testing::FakePeer;
using talk::testing::ReadRequest;
using talk::testing::Reply;

const char kInstantiating[] = "inst_mt_client(): Instantiating TevarTalkCOM client object ...";
const char kDone[] = "inst_mt_client(): ................................... done";

class MTalkClientTest : public ::testing::Test {
 protected:
  fileio_testing::ScopedEnv timeout_{"TEVAR_TALK_TIMEOUT_MS", "3000"};
  fileio_testing::ScopedEnv connection_{"TEVAR_TALK_CONNECTION", nullptr};

  diag::CapturingSink sink_;
};

// A port on which nothing listens (it was free a moment ago).
std::string UnusedPort() {
  Socket probe;
  std::string error;
  Socket::Listen("127.0.0.1", "0", &probe, &error);
  return std::to_string(probe.LocalPort());
}

// Serves the hello and then answers every request with `answer(frame)` until the client leaves.
FakePeer::Script Serve(std::function<void(Socket&, const Frame&)> answer) {
  return [answer](Socket& s) {
    AcceptHello(s);
    for (Frame frame = ReadRequest(s); frame.type != 0 && frame.type != talk::kBye;
         frame = ReadRequest(s))
      answer(s, frame);
  };
}

TEST_F(MTalkClientTest, BothEmptyUsesTheDefaultConnectionAndASecondOpenKeepsTheTalkObject) {
  FakePeer peer(
      Serve([](Socket& s, const Frame& f) { Reply(s, f, talk::kOk, talk::EncodeText("M")); }));
  connection_.Set(peer.connection().c_str());
  MTalkClient client;
  EXPECT_FALSE(client.IsConnected());
  EXPECT_EQ(client.TalkObject(), nullptr);
  ASSERT_TRUE(client.Open());
  EXPECT_TRUE(client.IsConnected());
  EXPECT_TRUE(client.TalkObject()->postConnectFlag);
  EXPECT_EQ(client.GetMachineName(), "M");
  CTevarTalkCOM* first = client.TalkObject();
  EXPECT_TRUE(client.Open());
  EXPECT_EQ(client.TalkObject(), first);
  // No "Try to connect" trace without a connection text, and none at all for the second open.
  EXPECT_EQ(sink_.Texts(diag::Kind::kTrace), (std::vector<std::string>{kInstantiating, kDone}));
  EXPECT_TRUE(sink_.ErrorLog().empty());
}

TEST_F(MTalkClientTest, OneMissingHalfKeepsTheBlankInTheConnectionText) {
  FakePeer peer(Serve([](Socket&, const Frame&) {}));
  MTalkClient port_only;
  port_only.SetConnection("", peer.port());
  EXPECT_TRUE(port_only.Open());  // " port" reaches 127.0.0.1
  // "host " reaches the default port 4170: on a loopback address of its own, so the test does not
  // meet whatever else may listen on port 4170 of the machine.
  FakePeer default_port(Serve([](Socket&, const Frame&) {}), "127.0.0.77", "4170");
  ASSERT_TRUE(default_port.listening()) << "127.0.0.77 port 4170 is taken";
  MTalkClient host_only;
  host_only.SetConnection("127.0.0.77", "");
  EXPECT_TRUE(host_only.Open());
  std::vector<std::string> traces = sink_.Texts(diag::Kind::kTrace);
  ASSERT_EQ(traces.size(), 6u);
  EXPECT_EQ(traces[1], "inst_mt_client(): Try to connect to  " + peer.port());
  EXPECT_EQ(traces[4], "inst_mt_client(): Try to connect to 127.0.0.77 ");
  EXPECT_EQ(traces[5], kDone);
}

TEST_F(MTalkClientTest, AnUnreachableMachineIsLoggedAndOpenFails) {
  MTalkClient client;
  const std::string port = UnusedPort();
  client.SetConnection("127.0.0.1", port);
  EXPECT_FALSE(client.Open());
  EXPECT_FALSE(client.IsConnected());
  ASSERT_NE(client.TalkObject(), nullptr);
  EXPECT_LT(client.TalkObject()->connectionState, 0);
  EXPECT_EQ(sink_.ErrorLog(),
            (std::vector<std::string>{"inst_mt:client(): no machine connection"}));
  EXPECT_EQ(sink_.Texts(diag::Kind::kTrace).back(), kDone);
  EXPECT_EQ(client.LastLinkError().rfind("connect to 127.0.0.1 port " + port + " failed: ", 0), 0u);
  // A second open tries again with a new talk object.
  EXPECT_FALSE(client.Open());
  EXPECT_EQ(sink_.ErrorLog().size(), 2u);
  // One whose library throws leaves no object, and its reason replaces the earlier one.
  client.SetConnection("127.0.0.1", "0");
  EXPECT_FALSE(client.Open());
  EXPECT_EQ(client.TalkObject(), nullptr);
  EXPECT_EQ(client.LastLinkError().rfind("invalid connection text", 0), 0u);
}

TEST_F(MTalkClientTest, AThrowingLibraryWritesTheConsoleLinesAndStoresNoObject) {
  MTalkClient client;
  client.SetConnection("127.0.0.1", "notaport");
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(client.Open());
  std::string console = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(console,
            "  error 'invalid connection text '127.0.0.1 notaport': port 'notaport' is not a "
            "number from 1 to 65535'\n"
            "instantiating TevarTalkCOM client object ...... failed.\n");
  EXPECT_EQ(client.TalkObject(), nullptr);
  EXPECT_FALSE(client.IsConnected());
  EXPECT_EQ(sink_.Texts(diag::Kind::kTrace),
            (std::vector<std::string>{kInstantiating,
                                      "inst_mt_client(): Try to connect to 127.0.0.1 notaport"}));
  EXPECT_TRUE(sink_.ErrorLog().empty());
}

// Receive and Set failures from a connected controller are checked end to end; here a Send that
// fails after its last byte, and the content it takes over.
TEST_F(MTalkClientTest, AFailedSendReturnsFalseWithOneEntryAndReleasesTheContent) {
  std::size_t received_bytes = 0;
  FakePeer peer(Serve([&](Socket& s, const Frame& frame) {
    if (frame.type != talk::kSendChunk || (received_bytes += frame.payload.size()) != 3000000)
      return;
    talk::testing::SendRaw(s, talk::EncodeTaggedFrame(talk::kOk, 0, ""));  // dropped, and logged
    Reply(s, frame, talk::kError, talk::EncodeText("flash failed"));
  }));
  MTalkClient client;
  client.SetConnection("127.0.0.1", peer.port());
  ASSERT_TRUE(client.Open());

  MErrTraceScope scope;
  std::string content(3000000, 'f');
  EXPECT_FALSE(client.Send("COMP_A", std::move(content)));
  EXPECT_TRUE(content.empty());
  EXPECT_EQ(diag::CurrentContextEntries(),
            (std::vector<std::string>{"MTalkClient::Send(): error 'flash failed'"}));
  EXPECT_EQ(received_bytes, 3000000u);
  EXPECT_EQ(client.LastLinkError(), "flash failed");
  EXPECT_EQ(sink_.Texts(diag::Kind::kErrorLog),
            (std::vector<std::string>{"MTalkClient: dropped a frame that answers no open request: "
                                      "type 131, request id 0, 0 payload bytes (request 1 is "
                                      "open)"}));
}

TEST_F(MTalkClientTest, TransfersOnAnUnopenedClientFailLikeLibraryErrors) {
  MTalkClient client;
  MErrTraceScope scope;
  std::string value;
  EXPECT_FALSE(client.Send("COMP", "data"));
  EXPECT_FALSE(client.Receive("ID", value));
  EXPECT_EQ(diag::CurrentContextEntries(),
            (std::vector<std::string>{"MTalkClient::Send(): error 'MTalkClient: not opened'",
                                      "MTalkClient::Receive(): error 'MTalkClient: not opened'"}));
  EXPECT_THROW(client.GetComponentsMap(), CTevarTalkError);
}

}  // namespace
