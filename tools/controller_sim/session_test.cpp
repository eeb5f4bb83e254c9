// The bounds that keep one client from holding the simulator, with limits short enough to watch.
// The client's bytes are sent before the connection is served, so the test needs no thread. That
// the real program serves others meanwhile is checked end to end.
#include "session.h"

#include <gtest/gtest.h>

#include "frame_io.h"
#include "messages.h"
#include "test_files.h"

namespace sim {
namespace {

TEST(ServeClient, SilentHalfSentAndWaitingClientsAreCutOffInTime) {
  Limits limits;
  limits.hello_ms = limits.idle_ms = limits.request_ms = 200;
  limits.busy_wait_ms = 100;
  const std::string hello = talk::EncodeFrame(talk::kHello, talk::EncodeU32(1));
  const std::string half_request = std::string("TK\x06\0\x0a\0\0\0abc", 11);  // 3 of 10 bytes
  const struct {
    std::string sent;
    bool slot_taken, served;
    std::uint8_t answer;  // the frame the client gets before the end of the stream, 0 for none
  } cases[] = {
      {"", false, false, 0},                  // silent before the hello
      {hello.substr(0, 5), false, false, 0},  // half a hello
      {hello, false, true, talk::kHelloOk},   // silent after the hello
      {hello + half_request, false, true, talk::kHelloOk},
      {hello, true, false, talk::kRefused},  // another client holds the controller
  };
  const std::string path = test_files::FreshPath("session_journal.log");
  Journal journal;
  std::string error;
  ASSERT_TRUE(journal.Open(path, &error)) << error;
  Station station;
  Controller controller(station, &journal);
  SharedController shared(&controller);
  talk::Socket listener;
  ASSERT_TRUE(talk::Socket::Listen("127.0.0.1", "0", &listener, &error)) << error;
  for (const auto& c : cases) {
    talk::Socket client, server;
    ASSERT_TRUE(talk::Socket::Connect("127.0.0.1", std::to_string(listener.LocalPort()), 5000,
                                      &client, &error));
    ASSERT_EQ(listener.Accept(5000, &server, &error), talk::IoStatus::kOk);
    ASSERT_EQ(client.SendAll(c.sent.data(), c.sent.size(), 5000, &error), talk::IoStatus::kOk);
    std::unique_lock<std::timed_mutex> other(shared.slot, std::defer_lock);
    if (c.slot_taken)
      other.lock();
    EXPECT_EQ(ServeClient(std::move(server), &shared, limits), c.served) << c.sent.size();
    talk::Frame frame;
    if (c.answer != 0) {
      ASSERT_EQ(talk::ReadFrame(client, 1024, 5000, &frame, &error), talk::IoStatus::kOk);
      EXPECT_EQ(frame.type, c.answer);
      if (c.answer == talk::kRefused) {
        EXPECT_EQ(frame.payload, talk::EncodeText("the controller is busy with another client"));
      }
    }
    EXPECT_EQ(talk::ReadFrame(client, 1024, 5000, &frame, &error), talk::IoStatus::kClosed);
  }
  // Only the clients that held the controller reached the journal.
  EXPECT_EQ(test_files::ReadAll(path), "CONNECT\nDISCONNECT\nCONNECT\nDISCONNECT\n");
}

}  // namespace
}  // namespace sim
