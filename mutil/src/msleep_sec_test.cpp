// The bounded sleep: the milliseconds made of an argument, the refusal and its trace text.
#include "msleep_sec.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "diag_testing.h"
#include "errtrace.h"

TEST(MsleepSec, CutsTheFractionOfAMillisecondAndRefusesValuesOutsideTheRange) {
  const std::pair<double, long long> cases[] = {
      {0.0, 0},   {0.0209, 20},  {0.0999, 99},      {1.5, 1500},       {2678400.0, 2678400000},
      {-1.0, -1}, {-0.0001, -1}, {2678400.001, -1}, {std::nan(""), -1}};
  for (const auto& [seconds, milliseconds] : cases)
    EXPECT_EQ(milliseconds, msleep_sec_milliseconds(seconds)) << seconds;
}

TEST(MsleepSec, RefusalReturnsAtOnceWithItsTraceAndASleepLastsAtLeastItsTime) {
  MErrTraceScope scope;
  // A refused 31 days and a bit would hang the test if they were slept.
  for (double bad : {-1.0, 2678401.0, std::nan("")})
    EXPECT_EQ(-1, msleep_sec(bad)) << bad;
  EXPECT_EQ(std::vector<std::string>(3, "msleep_sec(): invalid argument"),
            diag::CurrentContextEntries());
  MErrTrace_ClearContext();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(0, msleep_sec(0.02));
  // A lower bound only: the sleep never ends early, however busy the machine.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
  EXPECT_TRUE(diag::CurrentContextEntries().empty());
}
