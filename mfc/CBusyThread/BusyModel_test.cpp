// The progress dialog's model: range, what each tick shows, the halt, restore and rounding.
#include "BusyModel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(BusyModel, RangeIsTenTimesTheRoundedTickCountWithOneStepAtLeast) {
  const struct {
    double seconds;
    int upper;
  } cases[] = {
      {60.0, 1200},
      {290.0, 5800},
      {0.75, 20},
      {0.74, 10},
      {0.25, 10},
      // Below 0.25 s the range would be empty: the shortest one instead.
      {0.2, 10},
      {0.0, 10},
      {-3.0, 10},
      {NAN, 10},
      {1e300, BusyModel::kMaxUpper},
  };
  for (const auto& c : cases) {
    BusyModel model;
    model.SetDuration(c.seconds);
    EXPECT_EQ(c.upper, model.RangeUpper()) << c.seconds;
  }
}

TEST(BusyModel, EachTickShowsThePercentBeforeItsStepAndTheBarHaltsAt99) {
  const struct {
    double seconds;
    int tick;
    int percent;
    bool step;
    int position;  // after the tick
  } cases[] = {
      {60.0, 1, 0, true, 10},      {60.0, 2, 0, true, 20},       {60.0, 13, 10, true, 130},
      {60.0, 119, 98, true, 1190}, {60.0, 120, 99, false, 1190}, {60.0, 200, 99, false, 1190},
      {0.1, 1, 0, true, 10},       {0.1, 2, 100, false, 10},  // below 0.25 s
  };
  for (const auto& c : cases) {
    BusyModel model;
    model.SetDuration(c.seconds);
    BusyModel::Tick tick{};
    for (int i = 0; i < c.tick; ++i)
      tick = model.OnTick(false);
    EXPECT_EQ(c.percent, tick.percent) << c.seconds << " s, tick " << c.tick;
    EXPECT_EQ(c.step, tick.step) << c.seconds << " s, tick " << c.tick;
    EXPECT_EQ(c.position, model.position()) << c.seconds << " s, tick " << c.tick;
    EXPECT_EQ("Title [" + std::to_string(c.percent) + "%]", FormatBusyCaption("Title", c.percent));
  }
  BusyModel model;
  model.SetDuration(60.0);
  EXPECT_EQ(100, model.Finish());
  EXPECT_EQ(1200, model.position());
}

TEST(BusyModel, MinimizedDialogRestoresAtTheThirdTickAndTimesRoundToWholeSeconds) {
  // A send of 0.7 s sees one tick: it saves 1 s, and its dialog restores only at the third.
  const struct {
    bool minimized;
    bool restore;
    double elapsed;
    double saved;
  } ticks[] = {{true, false, 0.5, 1.0},
               {true, false, 1.0, 1.0},  //
               {true, true, 1.5, 2.0},
               {false, false, 2.0, 2.0}};
  BusyModel model;
  EXPECT_EQ(0.0, BusyModel::WholeSeconds(model.ElapsedSeconds()));
  for (const auto& t : ticks) {
    EXPECT_EQ(t.restore, model.OnTick(t.minimized).restore) << t.elapsed;
    EXPECT_EQ(t.elapsed, model.ElapsedSeconds());
    EXPECT_EQ(t.saved, BusyModel::WholeSeconds(model.ElapsedSeconds()));
  }
}

}  // namespace
