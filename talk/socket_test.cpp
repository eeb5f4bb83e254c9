// The socket layer on its own: accept and receive time-outs, an end of stream in the middle of a
// read, refused connections, and a send to a peer that has gone. Carrying bytes (multi-megabyte
// transfers included) is checked by every talk test and end to end.
#include "socket.h"

#include <gtest/gtest.h>

namespace talk {
namespace {

TEST(Socket, WaitsEndWithTimeOutsAndEndsOfStreamWithTheirTexts) {
  Socket listener;
  std::string error;
  ASSERT_TRUE(Socket::Listen("127.0.0.1", "0", &listener, &error)) << error;
  Socket server;
  EXPECT_EQ(listener.Accept(50, &server, &error), IoStatus::kTimedOut);
  EXPECT_EQ(error, "time-out: no client connected");

  Socket client;
  ASSERT_TRUE(
      Socket::Connect("127.0.0.1", std::to_string(listener.LocalPort()), 5000, &client, &error));
  ASSERT_EQ(listener.Accept(5000, &server, &error), IoStatus::kOk);
  char buffer[4];
  EXPECT_EQ(server.ReceiveExact(buffer, 4, 50, &error), IoStatus::kTimedOut);
  EXPECT_EQ(error, "time-out: no data from the peer for 50 ms");

  // Two of four bytes, then the peer closes: the read ends instead of waiting.
  ASSERT_EQ(client.SendAll("ab", 2, 5000, &error), IoStatus::kOk);
  client.Close();
  EXPECT_EQ(server.ReceiveExact(buffer, 4, 5000, &error), IoStatus::kClosed);
  EXPECT_EQ(error, "connection closed by the peer");
}

TEST(Socket, RefusedConnectionsAndVanishedPeersAreErrorsNotSignals) {
  Socket probe;
  std::string error;
  ASSERT_TRUE(Socket::Listen("127.0.0.1", "0", &probe, &error));
  std::string port = std::to_string(probe.LocalPort());
  probe.Close();
  Socket client;
  EXPECT_FALSE(Socket::Connect("127.0.0.1", port, 5000, &client, &error));
  EXPECT_EQ(error.rfind("connect to 127.0.0.1 port " + port + " failed: ", 0), 0u) << error;
  EXPECT_FALSE(client.valid());

  Socket listener;
  ASSERT_TRUE(Socket::Listen("127.0.0.1", "0", &listener, &error));
  ASSERT_TRUE(
      Socket::Connect("127.0.0.1", std::to_string(listener.LocalPort()), 5000, &client, &error));
  Socket server;
  ASSERT_EQ(listener.Accept(5000, &server, &error), IoStatus::kOk);
  server.Close();
  // Writing into a closed connection must fail (never raise SIGPIPE) within a few writes.
  std::string chunk(1u << 20, 'x');
  IoStatus status = IoStatus::kOk;
  for (int i = 0; i < 64 && status == IoStatus::kOk; ++i)
    status = client.SendAll(chunk.data(), chunk.size(), 2000, &error);
  EXPECT_EQ(status, IoStatus::kFailed);
  EXPECT_EQ(error.rfind("send failed: ", 0), 0u) << error;
}

}  // namespace
}  // namespace talk
