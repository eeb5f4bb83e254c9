// The controller's answers, fault switches, [after_send] and the journal each request leaves,
// without any socket in between.
#include "controller.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace sim {
namespace {

Station TestStation() {
  Station s;
  s.machine_name = "DriveUnit.PH 150";
  s.components = {{"ipo", "V 1.2"}, {"plc", "V 3.0"}};
  s.options = {{"machine.count", "1"}};
  s.values = {{"ipo.identifier", "IPO-7"}, {"broken", "x"}};
  s.channels = {{"compensation", ""}, {"X", ""}};
  s.after_send = {{"ipo", "V 1.3"}, {"new", "V 0.1"}};
  s.faults.receive_error = {"broken"};
  s.faults.set_error = {"X"};
  s.faults.send_error = {"plc"};
  s.faults.drop_during_send = {"fragile"};
  return s;
}

// A controller writing its journal to a temporary file, and a way to read it back.
class ControllerTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::TempDir() + "sim_controller_journal.log";
    std::remove(path_.c_str());
    std::string error;
    ASSERT_TRUE(journal_.Open(path_, &error)) << error;
  }
  std::string JournalText() {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  Transfer SendBytes(Controller& c, const std::string& name, const std::string& bytes) {
    Transfer t = c.BeginSend(name, bytes.size());
    t.Add(bytes.data(), bytes.size());
    return t;
  }

  std::string path_;
  Journal journal_;
};

TEST_F(ControllerTest, AnswersReadsFromTheStationAndJournalsEach) {
  Station refusing = TestStation();
  refusing.faults.refuse = true;
  EXPECT_FALSE(Controller(refusing, &journal_).Connect());  // a refusal still journals CONNECT
  Controller c(TestStation(), &journal_);
  EXPECT_TRUE(c.Connect());
  EXPECT_EQ("DriveUnit.PH 150", c.MachineName());
  EXPECT_EQ("V 1.2", c.Components().at("ipo"));
  EXPECT_EQ("1", c.Options().at("machine.count"));
  EXPECT_EQ((std::vector<std::string>{"X", "compensation"}), c.Capabilities());
  c.Disconnect();
  EXPECT_EQ("CONNECT\nCONNECT\nMACHINE_NAME\nCOMPONENTS\nOPTIONS\nCAPABILITIES\nDISCONNECT\n",
            JournalText());
}

TEST_F(ControllerTest, ReceiveAndSetFailForUnknownNamesAndInjectedFaults) {
  Controller c(TestStation(), &journal_);
  std::string value = "untouched";
  std::string error;
  EXPECT_TRUE(c.Receive("ipo.identifier", &value, &error));
  EXPECT_EQ("IPO-7", value);
  EXPECT_FALSE(c.Receive("nothing", &value, &error));
  EXPECT_EQ("unknown value \"nothing\"", error);
  EXPECT_FALSE(c.Receive("broken", &value, &error));
  EXPECT_EQ("Receive of \"broken\" failed (injected fault)", error);
  EXPECT_EQ("IPO-7", value);
  EXPECT_TRUE(c.Set("compensation", 0, &error));
  EXPECT_FALSE(c.Set("Y", 2.5, &error));
  EXPECT_EQ("unknown channel \"Y\"", error);
  EXPECT_FALSE(c.Set("X", -1, &error));
  EXPECT_EQ("Set of \"X\" failed (injected fault)", error);
  EXPECT_EQ(
      "RECEIVE\tipo.identifier\nRECEIVE\tnothing\nRECEIVE\tbroken\n"
      "SET\tcompensation\t0\nSET\tY\t2.5\nSET\tX\t-1\n",
      JournalText());
}

TEST_F(ControllerTest, SuccessfulSendChecksumsAndAppliesTheAfterSendVersion) {
  Controller c(TestStation(), &journal_);
  std::string error;
  Transfer t = SendBytes(c, "ipo", "123456789");
  EXPECT_TRUE(t.Complete());
  EXPECT_FALSE(t.ShouldDrop());
  ASSERT_TRUE(c.EndSend(t, &error)) << error;
  EXPECT_EQ("V 1.3", c.Components().at("ipo"));
  // A component that was not installed appears with its after-send version.
  ASSERT_TRUE(c.EndSend(SendBytes(c, "new", ""), &error)) << error;
  EXPECT_EQ("V 0.1", c.Components().at("new"));
  // A send to a component without an after-send version leaves the map alone.
  ASSERT_TRUE(c.EndSend(SendBytes(c, "other", "a"), &error)) << error;
  EXPECT_EQ(3u, c.Components().size());
  EXPECT_EQ(
      "SEND\tipo\t9\tcbf43926\nCOMPONENTS\nSEND\tnew\t0\t00000000\nCOMPONENTS\n"
      "SEND\tother\t1\te8b7be43\nCOMPONENTS\n",
      JournalText());
}

TEST_F(ControllerTest, FailedSendsKeepTheOldVersionAndJournalTheReason) {
  Station s = TestStation();
  s.after_send["plc"] = "V 9";
  Controller c(s, &journal_);
  std::string error;
  EXPECT_FALSE(c.EndSend(SendBytes(c, "plc", "abc"), &error));
  EXPECT_EQ("Send to \"plc\" failed (injected fault)", error);
  Transfer lost = c.BeginSend("ipo", 100);
  lost.Add("12345", 5);
  EXPECT_FALSE(lost.Complete());
  c.FailSend(lost, kReasonConnectionLost);
  EXPECT_EQ("V 3.0", c.Components().at("plc"));
  EXPECT_EQ("V 1.2", c.Components().at("ipo"));
  EXPECT_EQ(
      "SEND_FAILED\tplc\tinjected fault\nSEND_FAILED\tipo\tconnection lost\nCOMPONENTS\n"
      "COMPONENTS\n",
      JournalText());
}

TEST_F(ControllerTest, DropTargetsAreCutOffHalfWay) {
  Controller c(TestStation(), &journal_);
  Transfer t = c.BeginSend("fragile", 10);
  t.Add("1234", 4);
  EXPECT_FALSE(t.ShouldDrop());
  t.Add("5", 1);
  EXPECT_TRUE(t.ShouldDrop());
  EXPECT_TRUE(c.BeginSend("fragile", 0).ShouldDrop());  // nothing to wait for: cut at once
  Transfer other = c.BeginSend("ipo", 10);
  other.Add("1234567890", 10);
  EXPECT_FALSE(other.ShouldDrop());
}

}  // namespace
}  // namespace sim
