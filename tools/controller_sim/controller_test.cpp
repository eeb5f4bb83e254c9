// Transfers inside the controller: [after_send] for a component that was not installed, and the
// point where a dropped transfer is cut off. Answers, checksums and journal lines are checked end
// to end where the client meets them.
#include "controller.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

TEST(Controller, AfterSendAddsANewComponentAndDropTargetsAreCutOffHalfWay) {
  Station station;
  station.components = {{"ipo", "V 1.2"}};
  station.after_send = {{"new", "V 0.1"}};
  station.faults.drop_during_send = {"fragile"};
  Journal none;  // as without --journal: nothing is written, everything is answered
  Controller c(station, &none);
  std::string error;
  ASSERT_TRUE(c.EndSend(c.BeginSend("new", 0), &error)) << error;
  EXPECT_EQ(c.Components(),
            (std::map<std::string, std::string>{{"ipo", "V 1.2"}, {"new", "V 0.1"}}));
  Transfer fragile = c.BeginSend("fragile", 10), other = c.BeginSend("ipo", 10);
  fragile.Add("1234", 4);
  other.Add("1234567890", 10);
  EXPECT_FALSE(fragile.ShouldDrop());
  EXPECT_FALSE(other.ShouldDrop());
  fragile.Add("5", 1);
  EXPECT_TRUE(fragile.ShouldDrop());
  EXPECT_TRUE(c.BeginSend("fragile", 0).ShouldDrop());  // nothing to wait for: cut at once
}

}  // namespace
}  // namespace sim
