// The bounded sleep: accepted range, the refusal without sleeping and its error-trace text.
#include "msleep_sec.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "diag_testing.h"
#include "errtrace.h"

namespace {

double SecondsOf(double argument, int* result) {
  const auto start = std::chrono::steady_clock::now();
  *result = msleep_sec(argument);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(MsleepSec, RefusesOutOfRangeWithoutSleepingAndTracesIt) {
  diag::CapturingSink sink;
  MErrTraceScope scope;
  for (double bad : {-1.0, 2678400.001, 2678401.0, -0.0001, std::nan("")}) {
    int result = 0;
    EXPECT_LT(SecondsOf(bad, &result), 1.0) << bad;
    EXPECT_EQ(-1, result) << bad;
  }
  const std::vector<std::string> entries = diag::CurrentContextEntries();
  ASSERT_EQ(5u, entries.size());
  for (const std::string& entry : entries)
    EXPECT_EQ("msleep_sec(): invalid argument", entry);
}

TEST(MsleepSec, SleepsWithinRange) {
  diag::CapturingSink sink;
  MErrTraceScope scope;
  int result = -1;
  EXPECT_LT(SecondsOf(0.0, &result), 1.0);
  EXPECT_EQ(0, result);
  EXPECT_GE(SecondsOf(0.05, &result), 0.045);
  EXPECT_EQ(0, result);
  EXPECT_GE(SecondsOf(0.0209, &result), 0.019);  // fraction of a millisecond cut off
  EXPECT_EQ(0, result);
  EXPECT_TRUE(diag::CurrentContextEntries().empty());
}

}  // namespace
