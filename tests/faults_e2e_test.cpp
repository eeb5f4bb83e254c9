// Every fault switch of the simulator as the client meets it: a refused connection, failing
// transfers, receives and sets (and unknown names), a transfer cut off mid-way, and a slow transfer
// kept alive.
#include <gtest/gtest.h>

#include <chrono>

#include "diag_testing.h"
#include "errtrace.h"
#include "mtalkclient.h"
#include "payload.h"
#include "sim_fixture.h"
#include "test_env.h"

namespace {

std::string Station(const std::string& faults) {
  return "[machine]\nname = DriveUnit.PH 150\n"
         "[components]\nipo = V 1.2.0\nplc = V 3.0\nsat1 = V 0.9\n"
         "[values]\nipo.identifier = IPO-7\nsat1.identifier = SAT\n"
         "[channels]\ncompensation = 1\nX = 1\n"
         "[after_send]\nipo = V 1.3.0\nplc = V 3.1\nsat1 = V 1.0\n"
         "[faults]\n" +
         faults;
}

class FaultsE2E : public e2e::SimFixture {
 protected:
  void SetUp() override { MErrTrace_BeginContext(); }
  void TearDown() override { MErrTrace_EndContext(); }

  diag::CapturingSink sink_;
};

TEST_F(FaultsE2E, RefusedConnectionLeavesTheStateNegativeAndLogsIt) {
  StartSim(Station("refuse = 1\n"));
  MTalkClient client;
  client.SetConnection("127.0.0.1", sim_.port_text());
  EXPECT_FALSE(client.Open());
  ASSERT_NE(nullptr, client.TalkObject());
  EXPECT_EQ(-2, client.TalkObject()->connectionState);
  EXPECT_EQ((std::vector<std::string>{"inst_mt:client(): no machine connection"}),
            sink_.Texts(diag::Kind::kErrorLog));
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "DISCONNECT"}), sim_.WaitForJournalLines(2));
}

TEST_F(FaultsE2E, InjectedErrorsAndUnknownNamesFailOnlyThemAndKeepTheConnection) {
  StartSim(Station("send_error = plc, sat1\nreceive_error = sat1.identifier\nset_error = X\n"));
  MTalkClient client;
  OpenClient(&client);
  EXPECT_FALSE(client.Send("plc", "firmware"));
  EXPECT_FALSE(client.Send("sat1", ""));
  EXPECT_TRUE(client.Send("ipo", "firmware"));
  std::string value;
  EXPECT_FALSE(client.Receive("sat1.identifier", value));
  EXPECT_TRUE(client.Receive("ipo.identifier", value));
  EXPECT_FALSE(client.Set("X", 2));
  EXPECT_TRUE(client.Set("compensation", 1));
  // Names the station does not know fail with the controller's own text.
  EXPECT_FALSE(client.Receive("nothing", value));
  EXPECT_EQ("IPO-7", value);
  EXPECT_FALSE(client.Set("Y", 1.5));
  const std::map<std::string, std::string> components = client.GetComponentsMap();
  EXPECT_EQ("V 3.0", components.at("plc"));  // a failed transfer flashed nothing
  EXPECT_EQ("V 0.9", components.at("sat1"));
  EXPECT_EQ("V 1.3.0", components.at("ipo"));
  EXPECT_EQ((std::vector<std::string>{
                "MTalkClient::Send(): error 'Send to \"plc\" failed (injected fault)'",
                "MTalkClient::Send(): error 'Send to \"sat1\" failed (injected fault)'",
                "MTalkClient::Receive(): error 'Receive of \"sat1.identifier\" failed "
                "(injected fault)'",
                "MTalkClient::Set(): error 'Set of \"X\" failed (injected fault)'",
                "MTalkClient::Receive(): error 'unknown value \"nothing\"'",
                "MTalkClient::Set(): error 'unknown channel \"Y\"'"}),
            diag::CurrentContextEntries());
  EXPECT_EQ((std::vector<std::string>{
                "CONNECT", "SEND_FAILED\tplc\tinjected fault", "SEND_FAILED\tsat1\tinjected fault",
                "SEND\tipo\t8\t" + e2e::Crc32Hex("firmware"), "RECEIVE\tsat1.identifier",
                "RECEIVE\tipo.identifier", "SET\tX\t2", "SET\tcompensation\t1", "RECEIVE\tnothing",
                "SET\tY\t1.5", "COMPONENTS"}),
            sim_.WaitForJournalLines(11));
}

TEST_F(FaultsE2E, TransferCutOffMidWayFailsTheSendAndTheNextConnectionWorks) {
  StartSim(Station("drop_during_send = ipo\n"));
  const std::string image = e2e::MakePayload(10 * 1024 * 1024, 3);
  {
    MTalkClient client;
    OpenClient(&client);
    EXPECT_FALSE(client.Send("ipo", image));
    const std::vector<std::string> entries = diag::CurrentContextEntries();
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(0u, entries[0].rfind("MTalkClient::Send(): error '", 0)) << entries[0];
    // The library closed the connection: later requests fail without a hang.
    std::string value;
    EXPECT_FALSE(client.Receive("ipo.identifier", value));
  }
  MTalkClient again;
  OpenClient(&again);
  EXPECT_EQ("V 1.2.0", again.GetComponentsMap().at("ipo"));
  EXPECT_TRUE(again.Send("plc", "ok"));
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "SEND_FAILED\tipo\tdropped during transfer",
                                      "DISCONNECT", "CONNECT", "COMPONENTS",
                                      "SEND\tplc\t2\t" + e2e::Crc32Hex("ok")}),
            sim_.WaitForJournalLines(6));
}

TEST_F(FaultsE2E, SlowTransfersAreKeptAliveBeyondTheClientsIdleTimeout) {
  StartSim(Station("send_seconds = 2.5\n"));
  // The client gives up after 1 s without a byte: only the controller's keep-alives let a
  // transfer of 2.5 s succeed.
  e2e::ScopedTestEnv timeout("TEVAR_TALK_TIMEOUT_MS", "1000");
  MTalkClient client;
  OpenClient(&client);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(client.Send("ipo", "slow image"));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(seconds, 2.4);
  EXPECT_TRUE(diag::CurrentContextEntries().empty());
  EXPECT_EQ((std::vector<std::string>{"CONNECT", "SEND\tipo\t10\t" + e2e::Crc32Hex("slow image")}),
            sim_.WaitForJournalLines(2));
}

}  // namespace
