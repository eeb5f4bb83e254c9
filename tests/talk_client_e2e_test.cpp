// MTalkClient and the talk library against the real simulator: every request, transfers larger
// than a frame, [after_send], --once, every fault switch as the client meets it (refusal, failing
// transfers, receives and sets, unknown names, a cut transfer, a slow one), and the journal.
#include <gtest/gtest.h>

#include "diag_testing.h"
#include "errtrace.h"
#include "fake_peer.h"
#include "fileio_testing.h"
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

class TalkClientE2E : public e2e::SimFixture {
 protected:
  void SetUp() override { MErrTrace_BeginContext(); }
  void TearDown() override { MErrTrace_EndContext(); }

  diag::CapturingSink sink_;
};

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
    EXPECT_EQ(2u, channels.size());
    EXPECT_EQ("X", channels.at("X").name);
    std::string id, bsp;
    EXPECT_TRUE(client.Receive("ipo.identifier", id) && client.Receive("bsp.response", bsp));
    EXPECT_EQ("IPO-7 hw=A1\nbsp=2.1\n", id + " " + bsp);
    EXPECT_TRUE(client.Set("compensation", 0.0));
  }
  EXPECT_EQ(
      (std::vector<std::string>{"CONNECT", "MACHINE_NAME", "COMPONENTS", "OPTIONS", "CAPABILITIES",
                                "RECEIVE\tipo.identifier", "RECEIVE\tbsp.response",
                                "SET\tcompensation\t0", "DISCONNECT"}),
      Journal(9));
}

TEST_F(TalkClientE2E, TransfersArriveWholeAndChangeTheVersionForLaterConnectionsToo) {
  StartSim(kStation);
  // More than a frame may carry, so the client must cut it into chunks; and an empty file.
  const std::string payload = e2e::MakePayload(17 * 1024 * 1024 + 12345, 7);
  {
    MTalkClient client;
    OpenClient(&client);
    EXPECT_TRUE(client.Send("ipo", payload));
    EXPECT_TRUE(client.Send("plc", std::string()));
    EXPECT_EQ("V 3.0", client.GetComponentsMap().at("plc"));  // no [after_send] version
  }
  {  // A later connection to the same simulator sees the new version.
    MTalkClient client;
    OpenClient(&client);
    EXPECT_EQ("V 1.3.0", client.GetComponentsMap().at("ipo"));
  }
  EXPECT_EQ(
      (std::vector<std::string>{
          "CONNECT", "SEND\tipo\t" + std::to_string(payload.size()) + "\t" + e2e::Crc32Hex(payload),
          "SEND\tplc\t0\t00000000", "COMPONENTS", "DISCONNECT", "CONNECT", "COMPONENTS",
          "DISCONNECT"}),
      Journal(8));
}

TEST_F(TalkClientE2E, TheBundledExampleStationServesAndOnceEndsAfterTheFirstClient) {
  StartSim(e2e::ReadFileText(std::string(CU_SOURCE_DIR) + "/examples/station.ini"), {"--once"});
  {
    MTalkClient client;
    OpenClient(&client);
    EXPECT_EQ("DriveUnit.PH 150", client.GetMachineName());
  }
  int status = -1;
  ASSERT_TRUE(sim_.Wait(10000, &status));
  EXPECT_EQ(0, status);
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "MACHINE_NAME", "DISCONNECT"}), Journal(3));
}

std::string Station(const std::string& faults) {
  return std::string(kStation) + "[faults]\n" + faults;
}

TEST_F(TalkClientE2E, RefusedConnectionLeavesTheStateNegativeAndLogsIt) {
  StartSim(Station("refuse = 1\n"));
  MTalkClient client;
  client.SetConnection("127.0.0.1", port_);
  EXPECT_FALSE(client.Open());
  EXPECT_EQ(-2, client.TalkObject()->connectionState);
  EXPECT_EQ((std::vector<std::string>{"inst_mt:client(): no machine connection"}),
            sink_.Texts(diag::Kind::kErrorLog));
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "DISCONNECT"}), Journal(2));
}

TEST_F(TalkClientE2E, InjectedErrorsAndUnknownNamesFailOnlyThemAndKeepTheConnection) {
  StartSim(Station("send_error = ipo\nreceive_error = bsp.response\nset_error = X\n"));
  MTalkClient client;
  OpenClient(&client);
  EXPECT_FALSE(client.Send("ipo", "firmware"));
  EXPECT_TRUE(client.Send("plc", "firmware"));
  std::string value;
  EXPECT_FALSE(client.Receive("bsp.response", value));
  EXPECT_TRUE(client.Receive("ipo.identifier", value));
  EXPECT_FALSE(client.Set("X", 2));
  EXPECT_TRUE(client.Set("compensation", 1));
  EXPECT_FALSE(client.Receive("nothing", value));
  EXPECT_EQ("IPO-7", value);
  EXPECT_FALSE(client.Set("Y", 1.5));
  EXPECT_EQ("V 1.2.0", client.GetComponentsMap().at("ipo"));  // a failed transfer flashed nothing
  EXPECT_EQ((std::vector<std::string>{
                "MTalkClient::Send(): error 'Send to \"ipo\" failed (injected fault)'",
                "MTalkClient::Receive(): error 'Receive of \"bsp.response\" failed (injected "
                "fault)'",
                "MTalkClient::Set(): error 'Set of \"X\" failed (injected fault)'",
                "MTalkClient::Receive(): error 'unknown value \"nothing\"'",
                "MTalkClient::Set(): error 'unknown channel \"Y\"'"}),
            diag::CurrentContextEntries());
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "SEND_FAILED\tipo\tinjected fault",
                                      "SEND\tplc\t8\t" + e2e::Crc32Hex("firmware"),
                                      "RECEIVE\tbsp.response", "RECEIVE\tipo.identifier",
                                      "SET\tX\t2", "SET\tcompensation\t1", "RECEIVE\tnothing",
                                      "SET\tY\t1.5", "COMPONENTS"}),
            Journal(10));
}

TEST_F(TalkClientE2E, TransferCutOffMidWayFailsTheSendAndTheNextConnectionWorks) {
  StartSim(Station("drop_during_send = ipo\n"));
  {
    MTalkClient client;
    OpenClient(&client);
    EXPECT_FALSE(client.Send("ipo", e2e::MakePayload(10 * 1024 * 1024, 3)));
    const std::vector<std::string> entries = diag::CurrentContextEntries();
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(
        0u, entries[0].rfind(
                "MTalkClient::Send(): error 'connection to 127.0.0.1 port " + port_ + " lost: ", 0))
        << entries[0];
    EXPECT_EQ(-3, client.TalkObject()->connectionState);
  }
  MTalkClient again;
  OpenClient(&again);
  EXPECT_EQ("V 1.2.0", again.GetComponentsMap().at("ipo"));
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "SEND_FAILED\tipo\tdropped during transfer",
                                      "DISCONNECT", "CONNECT", "COMPONENTS"}),
            Journal(5));
}

TEST_F(TalkClientE2E, SlowTransfersAreKeptAliveBeyondTheClientsIdleTimeout) {
  StartSim(Station("send_seconds = 2.5\n"));
  // The client gives up after 1 s without a byte: only the controller's keep-alives let a
  // transfer of 2.5 s succeed.
  fileio_testing::ScopedEnv timeout("TEVAR_TALK_TIMEOUT_MS", "1000");
  MTalkClient client;
  OpenClient(&client);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(client.Send("ipo", "slow image"));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2400));
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "SEND\tipo\t10\t" + e2e::Crc32Hex("slow image")}),
            Journal(2));
}

}  // namespace
