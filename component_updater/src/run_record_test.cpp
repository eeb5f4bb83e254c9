// The report's times: the calendar arithmetic behind them, at the days where it goes wrong first.
#include "run_record.h"

#include <gtest/gtest.h>

TEST(UtcTimestamp, NamesTheCivilDayAndTimeOfEveryEpochMillisecond) {
  const struct {
    long long millis;
    const char* text;
  } cases[] = {
      {0, "1970-01-01T00:00:00.000Z"},
      {-1, "1969-12-31T23:59:59.999Z"},
      {951782400000, "2000-02-29T00:00:00.000Z"},   // a leap day of a century divisible by 400
      {4107542399999, "2100-02-28T23:59:59.999Z"},  // 2100 is no leap year
      {1796569486123, "2026-12-06T15:04:46.123Z"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.text, UtcTimestampOf(c.millis)) << c.millis;
}
