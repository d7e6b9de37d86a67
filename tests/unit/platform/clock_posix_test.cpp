// The one test of the Linux clock on real time.
#include "platform/posix/clock_posix.h"

#include <gtest/gtest.h>

namespace tunovar::posix {
namespace {

TEST(ClockPosix, ASleepLastsAtLeastItsTimeOnTheMillisecondClock) {
  PosixClock clock;
  const std::uint32_t before = clock.TimeMs();
  clock.SleepMs(0);  // yields only
  clock.SleepMs(100);
  EXPECT_GE(clock.TimeMs() - before, 50u);
}

}  // namespace
}  // namespace tunovar::posix
