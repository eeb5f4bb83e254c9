// CTevarTalkCOM against a scripted controller: the answers a controller may get wrong (hello,
// malformed, unexpected or unasked-for frames, cut and stalled connections, requests kept alive
// forever, texts far longer than what is kept), what requests carry and the texts the caller sees.
// A real controller's answers are checked end to end.
#include "TevarTalkCOM.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "fake_peer.h"
#include "fileio_testing.h"

// The heap bytes this test program holds and their peak (HeapCostOf); each block has its size in
// front.
static std::atomic<std::size_t> g_heap_held{0}, g_heap_peak{0};

void* operator new(std::size_t size) {
  auto* block = static_cast<std::max_align_t*>(std::malloc(size + sizeof(std::max_align_t)));
  if (block == nullptr)
    throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  for (std::size_t held = g_heap_held += size, peak = g_heap_peak; held > peak;)
    g_heap_peak.compare_exchange_weak(peak, held);
  return block + 1;
}

void operator delete(void* memory) noexcept {
  auto* block = static_cast<std::max_align_t*>(memory) - 1;
  g_heap_held -= memory != nullptr ? *reinterpret_cast<std::size_t*>(block) : 0;
  std::free(memory != nullptr ? block : nullptr);
}

void operator delete(void* memory, std::size_t) noexcept {
  operator delete(memory);
}

namespace talk {
namespace {

// The most heap bytes `call` held at once beyond those held before it.
std::size_t HeapCostOf(const std::function<void()>& call) {
  const std::size_t before = g_heap_held;
  g_heap_peak = before;
  call();
  return g_heap_peak - before;
}

using testing::AcceptHello;
using testing::FakePeer;
using testing::ReadRequest;
using testing::Reply;
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
    ReadRequest(s, Framing::kPlain);
    for (std::size_t i = 0; pause_ms > 0 && i < hello_answer.size(); ++i) {
      SendRaw(s, hello_answer.substr(i, 1));
      std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
    }
    if (pause_ms == 0)
      SendRaw(s, hello_answer);
    const Frame frame = ReadRequest(s);
    if (request != nullptr)
      *request = frame.payload;
    SendRaw(s, request_answer);
  };
}

const std::string kHelloAccepted = EncodeFrame(kHelloOk, EncodeU32(kProtocolVersion));

// A frame answering the first request, which the library numbers 1.
std::string Answer(std::uint8_t type, const std::string& payload) {
  return EncodeTaggedFrame(type, 1, payload);
}

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
      {EncodeFrame(kError, EncodeText("version")),
       "controller rejected the hello (protocol version 2): version"},
      {EncodeFrame(kHelloOk, EncodeU32(1)),
       "protocol error: the controller speaks protocol version 1, the library version 2"},
      {EncodeFrame(kOk, ""), "protocol error: unexpected answer to the hello (frame type 131)"},
      {"HTTP/1.1 400 Bad Request\r\n\r\n", kBad + "bad frame magic 0x48 0x54"},
      {std::string("TK\x81\0\xff\xff\xff\xff", 8),
       kBad + "frame of 4294967295 bytes exceeds the maximum of 16777216 bytes"},
      {kHelloAccepted, "(no exception)", 150, -1},
  };
  for (const auto& c : cases) {
    FakePeer peer(Answering(c.answer, "", nullptr, c.pause_ms));
    std::string seen, reason;
    int state = 0;
    EXPECT_EQ(MessageOf([&] {
                CTevarTalkCOM t(&RecordError, &seen, peer.connection().c_str(), nullptr);
                state = t.connectionState;
                reason = t.LastError();
              }),
              c.message);
    EXPECT_EQ(state, c.state);
    EXPECT_EQ(seen, c.state == 0 ? c.message : "");
    EXPECT_EQ(reason.rfind("no hello from the controller at 127.0.0.1 port " + peer.port(), 0),
              c.state == 0 ? std::string::npos : 0u);
  }
}

TEST_F(TalkTest, AnUnconfirmedConnectionFailsBeforeTheWireAndTheErrorCodeTellsFailureFromSuccess) {
  FakePeer peer(Answering(kHelloAccepted, Answer(kOk, EncodeText("IPO-7"))));
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
      {name, Answer(kOk, EncodeText("x") + "y"), "protocol error: malformed machine name"},
      {[](CTevarTalkCOM& t) { t.GetComponentsMap(); }, Answer(kOk, EncodeU32(1)),
       "protocol error: malformed components map"},
      {[](CTevarTalkCOM& t) { t.GetOptionsMap(); }, Answer(kOk, ""),
       "protocol error: malformed options map"},
      {[](CTevarTalkCOM& t) {
         std::map<std::string, CAxis> m;
         t.Capabilities(m, true);
       },
       Answer(kOk, EncodeU8(2) + EncodeU32(0)), "protocol error: malformed channel list",
       EncodeU8(1)},
      {[](CTevarTalkCOM& t) {
         std::string v;
         t.Receive("id", v, nullptr);
       },
       Answer(kOk, ""), "protocol error: malformed value of id", EncodeText("id")},
      {[](CTevarTalkCOM& t) { t.Set("X", 2.5, Position::NoReference, nullptr); }, Answer(kOk, "x"),
       "protocol error: malformed answer to Set", EncodeSetRequest({"X", 2.5, -1})},
      {name, Answer(kError, "\x01"), "protocol error: malformed error text"},
      {[](CTevarTalkCOM& t) { t.Set(nullptr, 1, Position::NoReference, nullptr); }, "",
       "Set: no value name"},
      {name, Answer(kError, EncodeText(std::string("bad\0name", 8))), "bad\\0name"},
      {name, Answer(kHelloOk, EncodeU32(1)), "lost: protocol error: unexpected frame type 129"},
      {name, std::string("TK\x83\x01\xff\xff\xff\xff\x01\0\0\0", 12),
       "lost: frame of 4294967295 bytes exceeds the maximum of 16777216 bytes"},
  };
  // A connection cut at any byte of an answer (a keep-alive, then the machine name).
  const std::string answer = Answer(kKeepAlive, "") + Answer(kOk, EncodeText("M"));
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
}

// A controller that stops answering or reading meets the idle time-out; one that only keeps the
// request alive meets the request limit; one that refuses a transfer at its start and reads no
// more is heard at once, with its own text. The peers hold the connection until the client gave
// up, kPeerWaitMs at most: a missing time-out ends the call with another text, not a hang.
TEST_F(TalkTest, AControllerThatStopsAnsweringOrReadingFailsTheCallWithItsTimeOut) {
  timeout_.Set("300");
  fileio_testing::ScopedEnv limit("TEVAR_TALK_REQUEST_TIMEOUT_MS", nullptr);
  using Call = std::function<void(CTevarTalkCOM&)>;
  // Far more than the socket buffers hold (up to 4 MiB to send and 32 MiB to receive here).
  const Call send = [](CTevarTalkCOM& t) { t.Send("COMP", std::string(64u << 20, 'x')); };
  const struct {
    Call call;
    std::uint8_t answer;  // sent once (an error) or every 20 ms (a keep-alive); 0: none
    std::string message;  // "lost: " as in the table above
    const char* request_limit = nullptr;  // the default (an hour) when null
  } cases[] = {
      {[](CTevarTalkCOM& t) { t.GetOptionsMap(); }, 0,
       "lost: time-out: no data from the peer for 300 ms"},
      {send, 0, "lost: time-out: peer accepted no data for 300 ms"},
      {[](CTevarTalkCOM& t) {
         std::string value;
         t.Receive("ipo.id", value, nullptr);
       },
       kKeepAlive,
       "lost: time-out: the request RECEIVE \"ipo.id\" took longer than its limit of 400 ms",
       "400"},
      {send, kError, "COMP is write-protected"},
  };
  for (const auto& c : cases) {
    std::atomic<bool> done{false};
    limit.Set(c.request_limit);
    FakePeer peer([&](Socket& s) {
      AcceptHello(s);
      const Frame request = ReadRequest(s);  // and no more
      for (int i = 0; i < testing::kPeerWaitMs / 20 && !done; ++i) {
        if (c.answer == kKeepAlive || (c.answer == kError && i == 0))
          Reply(s, request, c.answer,
                c.answer == kError ? EncodeText("COMP is write-protected") : "");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
    auto talk = Connect(peer);
    const std::string message = MessageOf([&] { c.call(*talk); });
    done = true;
    const bool lost = c.message.compare(0, 6, "lost: ") == 0;
    EXPECT_EQ(message, lost ? Lost(peer, c.message.substr(6)) : c.message);
    EXPECT_EQ(talk->connectionState, -3);
    EXPECT_EQ(talk->LastError(), message);
  }
}

// A controller that answers what was not asked, just before the next request leaves: a late
// copy of the last answer, or an OK, ERROR or keep-alive with an id that no open request has.
// Each is dropped and noted; no request takes it for its answer.
TEST_F(TalkTest, AStrayAnswerIsNeverTakenForTheNextRequestsAnswerButDroppedAndNoted) {
  FakePeer peer([](Socket& s) {
    AcceptHello(s);
    for (Frame request = ReadRequest(s); request.type == kMachineName; request = ReadRequest(s)) {
      const std::uint32_t id = request.request_id, stray_ids[] = {id, 0, id - 1, 0xFFFFFFFFu};
      const std::uint8_t stray_types[] = {kOk, kError, kKeepAlive, kOk};
      Reply(s, request, kOk, EncodeText("M" + std::to_string(id)));
      SendRaw(s, EncodeTaggedFrame(stray_types[id % 4], stray_ids[id % 4], EncodeText("stray")));
    }
  });
  auto talk = Connect(peer);
  int notices = 0, wrong = 0;
  talk->SetNoticeCallback([](void* count, const char*) { ++*static_cast<int*>(count); }, &notices);
  for (std::uint32_t id = 1; id <= 1000; ++id)
    wrong += talk->GetMachineName() != "M" + std::to_string(id);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(notices, 999);  // the last stray comes after the last request
}

// What the library keeps of an answer bounds what reading it costs: of a refusal or an error
// text its start, of a dropped frame nothing. (The frames are made before the measured call.)
TEST_F(TalkTest, ReadingAnAnswerCostsLittleMoreThanWhatIsKeptOfIt) {
  const std::string text = EncodeText(std::string(4u << 20, 'r'));
  const std::string answers[][2] = {
      {EncodeFrame(kRefused, text), ""},
      {kHelloAccepted, EncodeTaggedFrame(kOk, 9, text) + Answer(kError, text)}};
  for (const auto& answer : answers) {
    FakePeer peer(Answering(answer[0], answer[1]));
    std::string kept;
    const std::size_t cost = HeapCostOf([&] {
      CTevarTalkCOM talk(nullptr, nullptr, peer.connection().c_str(), nullptr);
      talk.postConnectFlag = true;
      kept =
          talk.connectionState < 0 ? talk.LastError() : MessageOf([&] { talk.GetMachineName(); });
    });
    EXPECT_LT(cost, 1u << 20);
    EXPECT_NE(kept.find("r... (4194304 bytes in all)"), std::string::npos) << kept.substr(0, 80);
  }
}

}  // namespace
}  // namespace talk
