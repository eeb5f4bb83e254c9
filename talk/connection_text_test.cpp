// Connection texts, their defaults and the time-out override.
#include "connection_text.h"

#include <gtest/gtest.h>

#include "fake_peer.h"

namespace talk {
namespace {

TEST(ConnectionText, EitherHalfMayBeMissingAndBadTextsAreNamed) {
  const std::string kPort = "' is not a number from 1 to 65535";
  const struct {
    std::string text, host, port, error;
  } cases[] = {
      {"controller.local 5000", "controller.local", "5000", ""},
      {"10.0.0.7 ", "10.0.0.7", "4170", ""},
      {" 4200", "127.0.0.1", "4200", ""},
      {"host\t\t65535  ", "host", "65535", ""},
      {"host 4170 more", "", "",
       "invalid connection text 'host 4170 more': expected \"host port\""},
      {"h 0", "", "", "invalid connection text 'h 0': port '0" + kPort},
      {"h 65536", "", "", "invalid connection text 'h 65536': port '65536" + kPort},
      {"h -1", "", "", "invalid connection text 'h -1': port '-1" + kPort},
      {"h 41x", "", "", "invalid connection text 'h 41x': port '41x" + kPort},
  };
  for (const auto& c : cases) {
    Endpoint endpoint;
    std::string error;
    EXPECT_EQ(ParseConnectionText(c.text, &endpoint, &error), c.error.empty()) << c.text;
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(endpoint.host, c.host);
    EXPECT_EQ(endpoint.port, c.port);
  }
}

TEST(ConnectionText, TheDefaultsAndTheTimeOutOverride) {
  // TEVAR_TALK_CONNECTION is checked through MTalkClient, which relies on it.
  EXPECT_EQ(DefaultConnectionText(), "127.0.0.1 4170");
  const struct {
    const char* text;
    int connect_ms, idle_ms;
  } cases[] = {{"", 5000, 30000},
               {"250", 250, 250},
               {"0", 5000, 30000},
               {"-5", 5000, 30000},
               {"12ms", 5000, 30000}};
  for (const auto& c : cases) {
    testing::SetEnvironment("TEVAR_TALK_TIMEOUT_MS", c.text);
    EXPECT_EQ(TimeoutsFromEnvironment().connect_ms, c.connect_ms) << c.text;
    EXPECT_EQ(TimeoutsFromEnvironment().idle_ms, c.idle_ms) << c.text;
  }
  testing::SetEnvironment("TEVAR_TALK_TIMEOUT_MS", "");
}

}  // namespace
}  // namespace talk
