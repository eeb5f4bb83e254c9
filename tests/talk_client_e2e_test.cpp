// MTalkClient and the talk library against the real simulator: every request, the bytes a
// transfer delivers, [after_send], several connections in a row, and the journal of it all.
#include <gtest/gtest.h>

#include "mtalkclient.h"
#include "payload.h"
#include "sim_fixture.h"

namespace {

const char* const kStation =
    "; a small controller\n"
    "[machine]\nname = DriveUnit.PH 150\n"
    "[components]\nipo = V 1.2.0\nplc = V 3.0\n"
    "[options]\nmachine.count = 1\nipo.order = 0\n"
    "[values]\nipo.identifier = IPO-7\nbsp.response = hw=A1\\nbsp=2.1\\n\n"
    "[channels]\ncompensation = 1\nX = \n"
    "[after_send]\nipo = V 1.3.0\n";

using TalkClientE2E = e2e::SimFixture;

TEST_F(TalkClientE2E, EveryRequestIsAnsweredFromTheStationAndJournaled) {
  StartSim(kStation);
  {
    MTalkClient client;
    OpenClient(&client);
    EXPECT_EQ("DriveUnit.PH 150", client.GetMachineName());
    EXPECT_EQ((std::map<std::string, std::string>{{"ipo", "V 1.2.0"}, {"plc", "V 3.0"}}),
              client.GetComponentsMap());
    EXPECT_EQ((std::map<std::string, std::string>{{"ipo.order", "0"}, {"machine.count", "1"}}),
              client.GetOptionsMap());
    std::map<std::string, CAxis> channels;
    EXPECT_TRUE(client.GetChannelMap(channels));
    ASSERT_EQ(2u, channels.size());
    EXPECT_EQ(1u, channels.count("compensation"));
    EXPECT_EQ(1u, channels.count("X"));
    std::string value;
    EXPECT_TRUE(client.Receive("ipo.identifier", value));
    EXPECT_EQ("IPO-7", value);
    EXPECT_TRUE(client.Receive("bsp.response", value));
    EXPECT_EQ("hw=A1\nbsp=2.1\n", value);
    EXPECT_TRUE(client.Set("compensation", 0.0));
  }
  EXPECT_EQ(
      (std::vector<std::string>{"CONNECT", "MACHINE_NAME", "COMPONENTS", "OPTIONS", "CAPABILITIES",
                                "RECEIVE\tipo.identifier", "RECEIVE\tbsp.response",
                                "SET\tcompensation\t0", "DISCONNECT"}),
      sim_.WaitForJournalLines(9));
}

TEST_F(TalkClientE2E, TransfersArriveWholeAndChangeTheVersionForLaterConnectionsToo) {
  StartSim(kStation);
  // Three and a bit chunks of the library, so chunk boundaries are crossed; and an empty file.
  const std::string payload = e2e::MakePayload(3 * 4 * 1024 * 1024 + 12345, 7);
  const std::string crc = e2e::Crc32Hex(payload);
  {
    MTalkClient client;
    OpenClient(&client);
    EXPECT_TRUE(client.Send("ipo", payload));
    EXPECT_TRUE(client.Send("plc", std::string()));
    EXPECT_EQ("V 1.3.0", client.GetComponentsMap().at("ipo"));
    EXPECT_EQ("V 3.0", client.GetComponentsMap().at("plc"));
  }
  {  // A later connection to the same simulator sees the new version too.
    MTalkClient client;
    OpenClient(&client);
    EXPECT_EQ("V 1.3.0", client.GetComponentsMap().at("ipo"));
  }
  EXPECT_EQ((std::vector<std::string>{"CONNECT",
                                      "SEND\tipo\t" + std::to_string(payload.size()) + "\t" + crc,
                                      "SEND\tplc\t0\t00000000", "COMPONENTS", "COMPONENTS",
                                      "DISCONNECT", "CONNECT", "COMPONENTS", "DISCONNECT"}),
            sim_.WaitForJournalLines(9));
  EXPECT_TRUE(sim_.process().Running());
}

TEST_F(TalkClientE2E, OnceEndsTheSimulatorAfterTheFirstClient) {
  StartSim(kStation, {"--once"});
  {
    MTalkClient client;
    OpenClient(&client);
    EXPECT_EQ("DriveUnit.PH 150", client.GetMachineName());
  }
  int status = -1;
  ASSERT_TRUE(sim_.process().Wait(10000, &status));
  EXPECT_EQ(0, status);
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "MACHINE_NAME", "DISCONNECT"}),
            sim_.JournalLines());
}

}  // namespace
