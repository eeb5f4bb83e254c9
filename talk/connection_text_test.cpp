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
  Endpoint both = Parse("controller.local 5000");
  EXPECT_EQ(both.host, "controller.local");
  EXPECT_EQ(both.port, "5000");
  Endpoint host_only = Parse("10.0.0.7 ");
  EXPECT_EQ(host_only.host, "10.0.0.7");
  EXPECT_EQ(host_only.port, "4170");
  Endpoint port_only = Parse(" 4200");
  EXPECT_EQ(port_only.host, "127.0.0.1");
  EXPECT_EQ(port_only.port, "4200");
  Endpoint no_blank = Parse("machine");
  EXPECT_EQ(no_blank.host, "machine");
  EXPECT_EQ(no_blank.port, "4170");
  Endpoint tabs = Parse("host\t\t65535  ");
  EXPECT_EQ(tabs.host, "host");
  EXPECT_EQ(tabs.port, "65535");
}

TEST(ConnectionText, BadPortsAndExtraWordsAreRejectedWithTheirTexts) {
  EXPECT_EQ(ParseError("host 0"),
            "invalid connection text 'host 0': port '0' is not a number from 1 to 65535");
  EXPECT_EQ(ParseError("host 65536"),
            "invalid connection text 'host 65536': port '65536' is not a number from 1 to 65535");
  EXPECT_EQ(ParseError("host -1"),
            "invalid connection text 'host -1': port '-1' is not a number from 1 to 65535");
  EXPECT_EQ(ParseError("host 41x"),
            "invalid connection text 'host 41x': port '41x' is not a number from 1 to 65535");
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
