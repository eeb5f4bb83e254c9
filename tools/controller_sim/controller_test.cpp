// Transfers inside the controller, without any socket in between: checksums, [after_send] and the
// point where a dropped transfer is cut off. The answers to the other requests, failing requests
// and the journal lines of all of them are checked end to end where the client meets them.
#include "controller.h"

#include <gtest/gtest.h>

#include "test_files.h"

namespace sim {
namespace {

Station TestStation() {
  Station s;
  s.components = {{"ipo", "V 1.2"}, {"plc", "V 3.0"}};
  s.after_send = {{"ipo", "V 1.3"}, {"new", "V 0.1"}};
  s.faults.drop_during_send = {"fragile"};
  return s;
}

// A controller writing its journal to a temporary file, and a way to read it back.
class ControllerTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = test_files::FreshPath("controller_journal.log");
    std::string error;
    ASSERT_TRUE(journal_.Open(path_, &error)) << error;
  }
  std::string JournalText() { return test_files::ReadAll(path_); }
  Transfer SendBytes(Controller& c, const std::string& name, const std::string& bytes) {
    Transfer t = c.BeginSend(name, bytes.size());
    t.Add(bytes.data(), bytes.size());
    return t;
  }

  std::string path_;
  Journal journal_;
};

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
