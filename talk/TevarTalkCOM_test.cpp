// CTevarTalkCOM against a scripted controller: the answers a controller may get wrong (hello,
// malformed, unexpected or unasked-for frames, cut and stalled connections), what requests carry
// and the texts the caller sees. A real controller's answers are checked end to end.
#include "TevarTalkCOM.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>

#include "fake_peer.h"
#include "fileio_testing.h"

namespace talk {
namespace {

using testing::AcceptHello;
using testing::FakePeer;
using testing::ReadRequest;
using testing::SendRaw;

class TalkTest : public ::testing::Test {
 protected:
  fileio_testing::ScopedEnv timeout_{"TEVAR_TALK_TIMEOUT_MS", "3000"};

  static std::unique_ptr<CTevarTalkCOM> Connect(const FakePeer& peer) {
    std::unique_ptr<CTevarTalkCOM> talk(
        new CTevarTalkCOM(nullptr, nullptr, peer.connection().c_str(), nullptr));
    talk->postConnectFlag = true;
    return talk;
  }
  static std::string Lost(const FakePeer& peer, const std::string& reason) {
    return "connection to 127.0.0.1 port " + peer.port() + " lost: " + reason;
  }
};

// A controller that answers the hello with `hello_answer` (a byte every `pause_ms` when given),
// the first request with `request_answer` (noting the request's payload in *request), and closes.
FakePeer::Script Answering(std::string hello_answer, std::string request_answer,
                           std::string* request = nullptr, int pause_ms = 0) {
  return [=](Socket& s) {
    ReadRequest(s);
    for (std::size_t i = 0; i<hello_answer.size(); i += pause_ms> 0 ? 1 : hello_answer.size()) {
      SendRaw(s, hello_answer.substr(i, pause_ms > 0 ? 1 : std::string::npos));
      std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
    }
    const Frame frame = ReadRequest(s);
    if (request != nullptr)
      *request = frame.payload;
    SendRaw(s, request_answer);
  };
}

const std::string kHelloAccepted = EncodeFrame(kHelloOk, EncodeU32(kProtocolVersion));

std::string MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const CTevarTalkError& error) {
    EXPECT_EQ(std::strlen(error.what()), error.message.size());  // no text is cut short
    return error.message;
  }
  return "(no exception)";
}

void RecordError(void* user, const char* text) {
  static_cast<std::string*>(user)->append(text);
}

// Nothing but HELLO_OK or REFUSED is a hello answer. A HELLO_OK that trickles in past the connect
// time-out, each byte well within it, leaves the machine unreachable.
TEST_F(TalkTest, AHelloAnsweredWrongOrTooLateThrowsWithTheReasonOrLeavesTheMachineUnreachable) {
  timeout_.Set("500");
  const std::string kBad = "protocol error: bad frame in answer to the hello: ";
  const struct {
    std::string answer, message;
    int pause_ms = 0, state = 0;
  } cases[] = {
      {EncodeFrame(kError, EncodeText("version")), "controller rejected the hello: version"},
      {EncodeFrame(kOk, ""), "protocol error: unexpected answer to the hello (frame type 131)"},
      {"HTTP/1.1 400 Bad Request\r\n\r\n", kBad + "bad frame magic 0x48 0x54"},
      {std::string("TK\x81\0\xff\xff\xff\xff", 8),
       kBad + "frame of 4294967295 bytes exceeds the maximum of 16777216 bytes"},
      {kHelloAccepted, "(no exception)", 150, -1},
  };
  for (const auto& c : cases) {
    FakePeer peer(Answering(c.answer, "", nullptr, c.pause_ms));
    std::string seen;
    int state = 0;
    EXPECT_EQ(MessageOf([&] {
                CTevarTalkCOM t(&RecordError, &seen, peer.connection().c_str(), nullptr);
                state = t.connectionState;
              }),
              c.message);
    EXPECT_EQ(state, c.state);
    EXPECT_EQ(seen, c.state == 0 ? c.message : "");
  }
}

TEST_F(TalkTest, AnUnconfirmedConnectionFailsBeforeTheWireAndTheErrorCodeTellsFailureFromSuccess) {
  FakePeer peer(Answering(kHelloAccepted, EncodeFrame(kOk, EncodeText("IPO-7"))));
  CTevarTalkCOM talk(nullptr, nullptr, peer.connection().c_str(), nullptr);
  std::string value;
  long code = 5;
  EXPECT_EQ(MessageOf([&] { talk.Receive("id", value, &code); }),
            "connection not confirmed (postConnectFlag is not set)");
  EXPECT_EQ(code, -1);
  talk.postConnectFlag = true;
  EXPECT_TRUE(talk.Receive("id", value, &code));
  EXPECT_EQ(value + " " + std::to_string(code), "IPO-7 0");
}

// An answer that does not decode leaves the stream in step and the connection open; a frame that
// breaks the stream closes it. The requests carry the caller's arguments.
TEST_F(TalkTest, AnswersThatDoNotFitTheRequestAreProtocolErrors) {
  using Call = std::function<void(CTevarTalkCOM&)>;
  const Call name = [](CTevarTalkCOM& t) { t.GetMachineName(); };
  struct Case {
    Call call;
    std::string answer, message;  // a message starting "lost: " is of a closed connection
    std::string request = "";
  };
  std::vector<Case> cases = {
      {name, EncodeFrame(kOk, EncodeText("x") + "y"), "protocol error: malformed machine name"},
      {[](CTevarTalkCOM& t) { t.GetComponentsMap(); }, EncodeFrame(kOk, EncodeU32(1)),
       "protocol error: malformed components map"},
      {[](CTevarTalkCOM& t) { t.GetOptionsMap(); }, EncodeFrame(kOk, ""),
       "protocol error: malformed options map"},
      {[](CTevarTalkCOM& t) {
         std::map<std::string, CAxis> m;
         t.Capabilities(m, true);
       },
       EncodeFrame(kOk, EncodeU8(2) + EncodeU32(0)), "protocol error: malformed channel list",
       EncodeU8(1)},
      {[](CTevarTalkCOM& t) {
         std::string v;
         t.Receive("id", v, nullptr);
       },
       EncodeFrame(kOk, ""), "protocol error: malformed value of id", EncodeText("id")},
      {[](CTevarTalkCOM& t) { t.Set("X", 2.5, Position::NoReference, nullptr); },
       EncodeFrame(kOk, "x"), "protocol error: malformed answer to Set",
       EncodeSetRequest({"X", 2.5, -1})},
      {name, EncodeFrame(kError, "\x01"), "protocol error: malformed error text"},
      {[](CTevarTalkCOM& t) { t.Set(nullptr, 1, Position::NoReference, nullptr); }, "",
       "Set: no value name"},
      {name, EncodeFrame(kError, EncodeText(std::string("bad\0name", 8))), "bad\\0name"},
      {name, EncodeFrame(kHelloOk, EncodeU32(1)),
       "lost: protocol error: unexpected frame type 129"},
      {name, std::string("TK\x83\0\xff\xff\xff\xff", 8),
       "lost: frame of 4294967295 bytes exceeds the maximum of 16777216 bytes"},
      // An answer nobody asked for: two for one request, or one before any request.
      {[](CTevarTalkCOM& t) {
         EXPECT_EQ(t.GetMachineName(), "M");
         t.GetMachineName();
       },
       EncodeFrame(kOk, EncodeText("M")) + EncodeFrame(kOk, EncodeText("M")),
       "lost: protocol error: frame type 131 answers no request"},
  };
  // A connection cut at any byte of an answer (a keep-alive, then the machine name).
  const std::string answer = EncodeFrame(kKeepAlive, "") + EncodeFrame(kOk, EncodeText("M"));
  for (std::size_t cut = 0; cut < answer.size(); ++cut)
    cases.push_back({name, answer.substr(0, cut), "lost: connection closed by the peer"});
  for (const auto& c : cases) {
    std::string request;
    {
      FakePeer peer(Answering(kHelloAccepted, c.answer, &request));
      auto talk = Connect(peer);
      const bool lost = c.message.compare(0, 6, "lost: ") == 0;
      EXPECT_EQ(MessageOf([&] { c.call(*talk); }),
                lost ? Lost(peer, c.message.substr(6)) : c.message);
      EXPECT_EQ(talk->connectionState, lost ? -3 : 1) << c.message;
      if (lost) {  // and stays closed, without touching the network
        EXPECT_EQ(MessageOf([&] { c.call(*talk); }), "no connection to the controller");
      }
    }
    EXPECT_EQ(request, c.request) << c.message;
  }
  FakePeer early(Answering(kHelloAccepted + EncodeFrame(kOk, EncodeText("M")), ""));
  EXPECT_EQ(MessageOf([&] { Connect(early)->GetOptionsMap(); }),
            Lost(early, "protocol error: frame type 131 answers no request"));
}

// The peers hold the connection until the client gave up, kPeerWaitMs at most: a missing time-out
// ends the call with another text instead of hanging the test.
TEST_F(TalkTest, AControllerThatStopsAnsweringOrReadingFailsTheCallWithItsTimeOut) {
  timeout_.Set("400");
  FakePeer mute([](Socket& s) {
    AcceptHello(s);
    ReadRequest(s);
    ReadRequest(s);  // until the client leaves
  });
  auto talk = Connect(mute);
  EXPECT_EQ(MessageOf([&] { talk->GetOptionsMap(); }),
            Lost(mute, "time-out: no data from the peer for 400 ms"));

  // Reads the start of a transfer, then stops reading: the socket buffers fill up.
  std::atomic<bool> failed{false};
  FakePeer stalled([&](Socket& s) {
    AcceptHello(s);
    ReadRequest(s);
    ReadRequest(s);
    for (int i = 0; i < testing::kPeerWaitMs / 20 && !failed; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  });
  auto sender = Connect(stalled);
  std::string message = MessageOf([&] { sender->Send("COMP", std::string(256u << 20, 'x')); });
  failed = true;
  EXPECT_EQ(message, Lost(stalled, "time-out: peer accepted no data for 400 ms"));
  EXPECT_EQ(sender->connectionState, -3);
}

}  // namespace
}  // namespace talk
