// The sleep goes through the standard library: its behaviour (whole milliseconds, no early
// wake-up) is the same as the system sleep on both targets.
#include "msleep_sec.h"

#include <chrono>
#include <thread>

#include "errtrace.h"

namespace {
constexpr double kMaxSleepSeconds = 2678400.0;  // 31 days
}

long long msleep_sec_milliseconds(double seconds) {
  // Written so that NaN fails the test as well.
  if (!(seconds >= 0.0 && seconds <= kMaxSleepSeconds))
    return -1;
  return static_cast<long long>(seconds * 1000.0);
}

int msleep_sec(double seconds) {
  const long long milliseconds = msleep_sec_milliseconds(seconds);
  if (milliseconds < 0) {
    MERRTRACE("msleep_sec(): invalid argument");
    return -1;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return 0;
}
