// Connection texts, their defaults and the time-out override.
#include "connection_text.h"

#include <gtest/gtest.h>

#include "fake_peer.h"
#include "fileio_testing.h"

namespace talk {
namespace {

TEST(ConnectionText, EitherHalfMayBeMissingAndBadTextsAndTimeOutsAreNamedOrIgnored) {
  const std::string kPort = "' is not a number from 1 to 65535";
  const struct {
    std::string text, host, port, error;
  } cases[] = {
      {"controller.local 5000", "controller.local", "5000", ""},
      {"10.0.0.7 ", "10.0.0.7", "4170", ""},
      {" 4200", "127.0.0.1", "4200", ""},
      {" 10.0.0.7  4200", "10.0.0.7", "4200", ""},  // raw values of an update description
      {" 10.0.0.7  ", "10.0.0.7", "4170", ""},
      {"host\t\t65535  ", "host", "65535", ""},
      {"host 4170 more", "", "",
       "invalid connection text 'host 4170 more': expected \"host port\""},
      {"h 0", "", "", "invalid connection text 'h 0': port '0" + kPort},
      {"h 65536", "", "", "invalid connection text 'h 65536': port '65536" + kPort},
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
  // A malformed time-out override is ignored (other tests rely on a valid one).
  fileio_testing::ScopedEnv timeout("TEVAR_TALK_TIMEOUT_MS", nullptr);
  for (const char* bad : {"0", "-5", "12ms"}) {
    timeout.Set(bad);
    EXPECT_EQ(TimeoutsFromEnvironment().connect_ms, kDefaultConnectTimeoutMs) << bad;
    EXPECT_EQ(TimeoutsFromEnvironment().idle_ms, kDefaultIdleTimeoutMs) << bad;
  }
}

}  // namespace
}  // namespace talk
