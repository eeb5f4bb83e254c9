// CTevarTalkCOM against a fake controller on a loopback port: what requests carry on the wire,
// controller errors, unreachable, mute and foreign controllers, connections cut mid-frame, and
// stalled transfers. What a real controller answers (refusals, keep-alives that outlast the idle
// time-out, whole transfers) is checked end to end against the simulator, and the default
// connection from the environment through MTalkClient.
#include "TevarTalkCOM.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

#include "fake_peer.h"

namespace talk {
namespace {

using testing::AcceptHello;
using testing::FakePeer;
using testing::ReadRequest;
using testing::Reply;
using testing::SendRaw;

// Time-outs short enough that a hang shows quickly, long enough for a loaded machine; the tests
// about time-outs shorten them further.
class TalkTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::SetEnvironment("TEVAR_TALK_TIMEOUT_MS", "3000"); }
  void TearDown() override { testing::SetEnvironment("TEVAR_TALK_TIMEOUT_MS", ""); }

  static std::unique_ptr<CTevarTalkCOM> Connect(const FakePeer& peer) {
    std::unique_ptr<CTevarTalkCOM> talk(
        new CTevarTalkCOM(nullptr, nullptr, peer.connection().c_str(), nullptr));
    talk->postConnectFlag = true;
    return talk;
  }
};

std::string MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const CTevarTalkError& error) {
    return error.message;
  }
  return "(no exception)";
}

// What the requests carry on the wire and how answers are merged; every request's answer from a
// real controller is checked end to end.
TEST_F(TalkTest, RequestsCarryTheirArgumentsAndAnswersComeBack) {
  SetRequest seen_set;
  std::uint8_t seen_flag = 9;
  FakePeer peer([&](Socket& s) {
    if (!AcceptHello(s))
      return;
    EXPECT_EQ(ReadRequest(s).type, kMachineName);
    Reply(s, kKeepAlive);  // a keep-alive before the answer is skipped
    Reply(s, kOk, EncodeText("DriveUnit.PH 150"));
    EXPECT_EQ(ReadRequest(s).type, kComponents);
    Reply(s, kOk, EncodeMap({{"COMP_B", "2.0"}, {"COMP_A", "1.0"}}));
    Frame caps = ReadRequest(s);
    DecodeU8(caps.payload, &seen_flag);
    Reply(s, kOk, EncodeCapabilitiesResult({true, {"X", "Y"}}));
    DecodeSetRequest(ReadRequest(s).payload, &seen_set);
    Reply(s, kOk);
    EXPECT_EQ(ReadRequest(s).type, kBye);
  });
  {
    auto talk = Connect(peer);
    EXPECT_EQ(talk->connectionState, 1);
    EXPECT_EQ(talk->GetMachineName(), "DriveUnit.PH 150");
    std::map<std::string, std::string> components = talk->GetComponentsMap();
    EXPECT_EQ(components,
              (std::map<std::string, std::string>{{"COMP_A", "1.0"}, {"COMP_B", "2.0"}}));
    std::map<std::string, CAxis> channels{{"Z", CAxis{"Z"}}};
    EXPECT_TRUE(talk->Capabilities(channels, false));
    EXPECT_EQ(channels.size(), 3u);
    EXPECT_EQ(channels.at("X").name, "X");
    EXPECT_TRUE(talk->Set("Comp.Reset", 2.5, Position::NoReference, nullptr));
  }
  EXPECT_EQ(seen_flag, 0);
  EXPECT_EQ(seen_set.name, "Comp.Reset");
  EXPECT_EQ(seen_set.value, 2.5);
  EXPECT_EQ(seen_set.reference, -1);
}

void RecordError(void* user, const char* text) {
  static_cast<std::string*>(user)->append(text);
}

TEST_F(TalkTest, ControllerErrorsBecomeTheExceptionTextAndTheConnectionStaysUsable) {
  FakePeer peer([](Socket& s) {
    if (!AcceptHello(s))
      return;
    ReadRequest(s);
    Reply(s, kError, EncodeText("Receive: unknown value 'nope'"));
    ReadRequest(s);
    Reply(s, kError, EncodeText("Set: no channel 'Q'"));
    ReadRequest(s);
    Reply(s, kOk, EncodeText("still here"));
  });
  std::string seen;
  CTevarTalkCOM talk(&RecordError, &seen, peer.connection().c_str(), nullptr);
  EXPECT_EQ(MessageOf([&] { talk.GetMachineName(); }),
            "connection not confirmed (postConnectFlag is not set)");
  seen.clear();  // the error callback hears every thrown text
  talk.postConnectFlag = true;
  std::string value = "untouched";
  long error = 0;
  EXPECT_EQ(MessageOf([&] { talk.Receive("nope", value, &error); }),
            "Receive: unknown value 'nope'");
  EXPECT_EQ(value, "untouched");
  EXPECT_EQ(error, -1);
  EXPECT_EQ(seen, "Receive: unknown value 'nope'");
  EXPECT_EQ(MessageOf([&] { talk.Set("Q", 1, Position::NoReference, nullptr); }),
            "Set: no channel 'Q'");
  EXPECT_EQ(talk.connectionState, 1);
  EXPECT_TRUE(talk.Receive("again", value, &error));
  EXPECT_EQ(value, "still here");
  EXPECT_EQ(error, 0);
}

TEST_F(TalkTest, UnreachableOrMuteControllersLeaveANegativeStateButBadTextsThrow) {
  std::string nowhere = "127.0.0.1 " + testing::UnusedPort();
  CTevarTalkCOM unreachable(nullptr, nullptr, nowhere.c_str(), nullptr);
  EXPECT_EQ(unreachable.connectionState, -1);

  testing::SetEnvironment("TEVAR_TALK_TIMEOUT_MS", "400");
  FakePeer silent([](Socket& s) { ReadRequest(s); });  // never answers the hello
  CTevarTalkCOM mute(nullptr, nullptr, silent.connection().c_str(), nullptr);
  EXPECT_EQ(mute.connectionState, -1);

  // Bad connection texts and foreign peers throw instead.
  CMTConnection link("127.0.0.1", "99999");
  EXPECT_EQ(MessageOf([&] { CTevarTalkCOM t(nullptr, nullptr, "127.0.0.1 1", &link); }),
            "invalid connection text '127.0.0.1 99999': port '99999' is not a number from 1 to "
            "65535");
  FakePeer foreign([](Socket& s) {
    ReadRequest(s);
    Reply(s, kOk, "");
  });
  EXPECT_EQ(
      MessageOf([&] { CTevarTalkCOM t(nullptr, nullptr, foreign.connection().c_str(), nullptr); }),
      "protocol error: unexpected answer to the hello (frame type 131)");
}

TEST_F(TalkTest, AConnectionCutAtAnyByteOfTheAnswerThrowsAndStaysClosed) {
  std::string answer = EncodeFrame(kKeepAlive, "") + EncodeFrame(kOk, EncodeText("DriveUnit"));
  for (std::size_t cut = 0; cut < answer.size(); ++cut) {
    FakePeer peer([&](Socket& s) {
      if (!AcceptHello(s))
        return;
      ReadRequest(s);
      SendRaw(s, answer.substr(0, cut));
    });
    auto talk = Connect(peer);
    std::string message = MessageOf([&] { talk->GetMachineName(); });
    EXPECT_EQ(message, "connection to 127.0.0.1 port " + peer.port() +
                           " lost: connection closed by the peer")
        << "cut at " << cut;
    EXPECT_EQ(talk->connectionState, -3);
    EXPECT_EQ(MessageOf([&] { talk->GetMachineName(); }), "no connection to the controller");
  }
}

TEST_F(TalkTest, MalformedAnswersAreProtocolErrors) {
  FakePeer peer([](Socket& s) {
    if (!AcceptHello(s))
      return;
    ReadRequest(s);
    Reply(s, kOk, EncodeText("x") + "trailing");
    ReadRequest(s);
    SendRaw(s, std::string("TK\x83\x00\xff\xff\xff\xff", 8));  // announces 4 GiB
  });
  auto talk = Connect(peer);
  EXPECT_EQ(MessageOf([&] { talk->GetMachineName(); }), "protocol error: malformed machine name");
  EXPECT_EQ(MessageOf([&] { talk->GetComponentsMap(); }),
            "connection to 127.0.0.1 port " + peer.port() +
                " lost: frame of 4294967295 bytes exceeds the maximum of 16777216 bytes");
}

// The bytes of a transfer and the controller's verdict are checked end to end; here the chunking,
// with a keep-alive before the verdict.
TEST_F(TalkTest, SendStreamsThePayloadInChunksOfTheFixedSize) {
  SendBeginRequest begin;
  std::vector<std::size_t> chunks;
  FakePeer peer([&](Socket& s) {
    if (!AcceptHello(s) || !DecodeSendBegin(ReadRequest(s).payload, &begin))
      return;
    for (std::size_t got = 0; got < begin.total_size; got += chunks.back()) {
      Frame chunk = ReadRequest(s);
      if (chunk.type != kSendChunk)
        return;
      chunks.push_back(chunk.payload.size());
    }
    Reply(s, kKeepAlive);
    Reply(s, kOk);
  });
  EXPECT_TRUE(Connect(peer)->Send("COMP_A", std::string(2 * kSendChunkBytes + 3, 'p')));
  EXPECT_EQ(begin.name, "COMP_A");
  EXPECT_EQ(chunks, (std::vector<std::size_t>{kSendChunkBytes, kSendChunkBytes, 3}));
}

TEST_F(TalkTest, AControllerThatCutsATransferMakesSendThrow) {
  FakePeer peer([](Socket& s) {
    if (!AcceptHello(s))
      return;
    ReadRequest(s);  // SEND_BEGIN
    ReadRequest(s);  // the first chunk; then the controller goes away
  });
  auto talk = Connect(peer);
  std::string message = MessageOf([&] { talk->Send("COMP", std::string(64u << 20, 'x')); });
  std::string expected = "connection to 127.0.0.1 port " + peer.port() + " lost: ";
  EXPECT_EQ(message.compare(0, expected.size(), expected), 0) << message;
  EXPECT_EQ(talk->connectionState, -3);
  EXPECT_EQ(MessageOf([&] { talk->Send("COMP", "x"); }), "no connection to the controller");
}

TEST_F(TalkTest, AControllerThatStopsAnsweringOrReadingMakesTheCallFail) {
  testing::SetEnvironment("TEVAR_TALK_TIMEOUT_MS", "400");
  FakePeer mute([](Socket& s) {
    if (!AcceptHello(s))
      return;
    ReadRequest(s);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  });
  auto talk = Connect(mute);
  EXPECT_EQ(MessageOf([&] { talk->GetOptionsMap(); }),
            "connection to 127.0.0.1 port " + mute.port() +
                " lost: time-out: no data from the peer for 400 ms");

  // The peer reads the start of the transfer and then stops reading without closing: the
  // socket buffers fill up and the write time-out must end the Send.
  std::atomic<bool> done{false};
  FakePeer stalled([&](Socket& s) {
    if (!AcceptHello(s))
      return;
    ReadRequest(s);
    ReadRequest(s);
    while (!done)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  });
  auto sender = Connect(stalled);
  auto start = std::chrono::steady_clock::now();
  std::string message = MessageOf([&] { sender->Send("COMP", std::string(256u << 20, 'x')); });
  done = true;
  EXPECT_EQ(message, "connection to 127.0.0.1 port " + stalled.port() +
                         " lost: time-out: peer accepted no data for 400 ms");
  // A hang guard, not a performance figure.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
  EXPECT_EQ(sender->connectionState, -3);
}

}  // namespace
}  // namespace talk
