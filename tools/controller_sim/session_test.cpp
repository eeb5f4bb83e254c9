// One connection against the controller, with time limits short enough to watch: clients that
// break the protocol, stay silent or send part of a frame, one that says hello while another holds
// the controller, and their journal lines (escapes, numbers, appended to what was there). That
// the real program serves others meanwhile is checked end to end.
#include "session.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "frame_io.h"
#include "messages.h"

namespace sim {
namespace {

using talk::EncodeFrame;
using talk::EncodeTaggedFrame;

TEST(ServeClient, EachClientIsCutOffInTimeAndJournaledOnlyWhenItHeldTheController) {
  Limits limits;
  limits.hello_ms = limits.idle_ms = limits.request_ms = limits.transfer_idle_ms = 200;
  limits.busy_wait_ms = 100;
  const std::string hello = EncodeFrame(talk::kHello, talk::EncodeU32(talk::kProtocolVersion));
  // Every request is number 7: every answer must carry that id back.
  const std::string begin =
      EncodeTaggedFrame(talk::kSendBegin, 7, talk::EncodeSendBegin({"ipo", 4}));
  const struct {
    std::string sent;
    bool ends_sending, slot_taken, served;
    std::string answers;  // the frame types the client gets before the end of the stream
  } cases[] = {
      {"GET / HTTP/1.0\r\n\r\n", false, false, false, ""},
      {EncodeFrame(talk::kMachineName, ""), false, false, false, ""},  // before the hello
      {"", false, false, false, ""},                                   // silent before it
      {hello.substr(0, 5), false, false, false, ""},
      {EncodeFrame(talk::kHello, talk::EncodeU32(1)), false, false, true, "\x84"},
      {hello, false, false, true, "\x81"},  // silent after the hello
      {hello + std::string("TK\x06\x01\x0a\0\0\0\x07\0\0\0abc", 15), false, false, true, "\x81"},
      {hello + begin + EncodeTaggedFrame(talk::kSendChunk, 7, "12345"), false, false, true, "\x81"},
      {hello + begin + EncodeTaggedFrame(talk::kSendChunk, 8, "1234"), false, false, true, "\x81"},
      {hello + begin + EncodeTaggedFrame(talk::kSendChunk, 7, "12"), true, false, true, "\x81"},
      {hello, false, true, false, "\x82"},  // another client holds the controller
      {hello + EncodeTaggedFrame(talk::kReceive, 7, talk::EncodeText("x\ty\\z\r")), false, false,
       true, "\x81\x84"},
      {hello + EncodeTaggedFrame(talk::kSet, 7, talk::EncodeSetRequest({"Y", -1e-7, -1})), false,
       false, true, "\x81\x84"},
  };
  const std::string path = testing::TempDir() + "sim_session_journal.log";
  std::ofstream(path, std::ios::binary) << "EARLIER\n";
  Journal journal;
  std::string error;
  const std::string bad_path = testing::TempDir() + "no_such_dir_sim/j.log";
  EXPECT_FALSE(journal.Open(bad_path, &error));
  EXPECT_EQ(0u, error.rfind("cannot open journal '" + bad_path + "': ", 0)) << error;
  ASSERT_TRUE(journal.Open(path, &error)) << error;
  Controller controller(Station(), &journal);
  SharedController shared(&controller);
  talk::Socket listener;
  ASSERT_TRUE(talk::Socket::Listen("127.0.0.1", "0", &listener, &error)) << error;
  for (const auto& c : cases) {
    talk::Socket client, server;
    ASSERT_TRUE(talk::Socket::Connect("127.0.0.1", std::to_string(listener.LocalPort()), 5000,
                                      &client, &error));
    ASSERT_EQ(listener.Accept(5000, &server, &error), talk::IoStatus::kOk);
    ASSERT_EQ(client.SendAll(c.sent.data(), c.sent.size(), 5000, &error), talk::IoStatus::kOk);
    if (c.ends_sending)
      client.ShutdownSend();
    shared.held = c.slot_taken;  // by another client
    bool served = false;
    std::thread serving([&] { served = ServeClient(std::move(server), &shared, limits); });
    std::string answers;
    talk::Frame frame;
    talk::IoStatus status;
    // The simulator must end the connection; after 5 s the test does, and fails (a watchdog).
    // The hello's answer is plain, every later frame tagged with the request's id.
    while ((status = talk::ReadFrame(
                client, answers.empty() ? talk::Framing::kPlain : talk::Framing::kTagged, 1024,
                5000, &frame, &error)) == talk::IoStatus::kOk) {
      answers += static_cast<char>(frame.type);
      EXPECT_EQ(frame.request_id, answers.size() == 1 ? 0u : 7u);
      if (c.slot_taken) {
        EXPECT_EQ(frame.payload, talk::EncodeText("the controller is busy with another client"));
      }
      if (frame.type == talk::kError && answers.size() == 1) {  // a client of version 1
        EXPECT_EQ(frame.payload, talk::EncodeText("unsupported protocol version 1 (this "
                                                  "controller speaks version 2)"));
      }
    }
    EXPECT_NE(status, talk::IoStatus::kTimedOut) << "not cut off: " << c.sent.size();
    client.Close();
    serving.join();
    EXPECT_EQ(served, c.served) << c.sent.size();
    EXPECT_EQ(answers, c.answers) << c.sent.size();
  }
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            "EARLIER\nCONNECT\nDISCONNECT\nCONNECT\nDISCONNECT\nCONNECT\nDISCONNECT\n"
            "CONNECT\nSEND_FAILED\tipo\tprotocol error\nDISCONNECT\n"
            "CONNECT\nSEND_FAILED\tipo\tprotocol error\nDISCONNECT\n"
            "CONNECT\nSEND_FAILED\tipo\tconnection lost\nDISCONNECT\n"
            "CONNECT\nRECEIVE\tx\\ty\\\\z\\r\nDISCONNECT\nCONNECT\nSET\tY\t-1e-07\nDISCONNECT\n");
}

}  // namespace
}  // namespace sim
