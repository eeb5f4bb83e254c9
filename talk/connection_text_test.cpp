// Connection texts, their defaults and the time-out override.
#include "connection_text.h"

#include <gtest/gtest.h>

#include "fake_peer.h"

namespace talk {
namespace {

Endpoint Parse(const std::string& text) {
  Endpoint endpoint;
  std::string error;
  EXPECT_TRUE(ParseConnectionText(text, &endpoint, &error)) << text << ": " << error;
  return endpoint;
}

std::string ParseError(const std::string& text) {
  Endpoint endpoint;
  std::string error;
  EXPECT_FALSE(ParseConnectionText(text, &endpoint, &error)) << text;
  return error;
}

TEST(ConnectionText, EitherHalfMayBeMissingAndFallsBackToItsDefault) {
  const struct {
    const char *text, *host, *port;
  } cases[] = {{"controller.local 5000", "controller.local", "5000"},
               {"10.0.0.7 ", "10.0.0.7", "4170"},
               {" 4200", "127.0.0.1", "4200"},
               {" 10.0.0.7  4200", "10.0.0.7", "4200"},  // raw description values
               {" 10.0.0.7  ", "10.0.0.7", "4170"},
               {"machine", "machine", "4170"},
               {"host\t\t65535  ", "host", "65535"}};
  for (const auto& c : cases) {
    Endpoint endpoint = Parse(c.text);
    EXPECT_EQ(endpoint.host, c.host) << c.text;
    EXPECT_EQ(endpoint.port, c.port) << c.text;
  }
}

TEST(ConnectionText, BadPortsAndExtraWordsAreRejectedWithTheirTexts) {
  for (const std::string port : {"0", "65536", "-1", "41x"})
    EXPECT_EQ(ParseError("host " + port), "invalid connection text 'host " + port + "': port '" +
                                              port + "' is not a number from 1 to 65535");
  EXPECT_EQ(ParseError("host 4170 more"),
            "invalid connection text 'host 4170 more': expected \"host port\"");
}

TEST(ConnectionText, EnvironmentOverridesDefaultConnectionAndTimeouts) {
  testing::SetEnvironment("TEVAR_TALK_CONNECTION", "");
  EXPECT_EQ(DefaultConnectionText(), "127.0.0.1 4170");
  testing::SetEnvironment("TEVAR_TALK_CONNECTION", "sim 4999");
  EXPECT_EQ(DefaultConnectionText(), "sim 4999");
  testing::SetEnvironment("TEVAR_TALK_CONNECTION", "");

  testing::SetEnvironment("TEVAR_TALK_TIMEOUT_MS", "");
  Timeouts defaults = TimeoutsFromEnvironment();
  EXPECT_EQ(defaults.connect_ms, 5000);
  EXPECT_EQ(defaults.idle_ms, 30000);
  testing::SetEnvironment("TEVAR_TALK_TIMEOUT_MS", "250");
  EXPECT_EQ(TimeoutsFromEnvironment().connect_ms, 250);
  EXPECT_EQ(TimeoutsFromEnvironment().idle_ms, 250);
  for (const char* bad : {"0", "-5", "12ms", "abc"}) {
    testing::SetEnvironment("TEVAR_TALK_TIMEOUT_MS", bad);
    EXPECT_EQ(TimeoutsFromEnvironment().idle_ms, 30000) << bad;
  }
  testing::SetEnvironment("TEVAR_TALK_TIMEOUT_MS", "");
}

}  // namespace
}  // namespace talk
