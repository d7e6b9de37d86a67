// Tests of the timers of a run without a window.
#include "platform/posix/headless_timers.h"

#include <gtest/gtest.h>

#include "support/installer_fixture.h"

namespace tunovar::posix {
namespace {

using HeadlessTimers = testing::InstallerFixture;

TEST_F(HeadlessTimers, ArmedTimersFireWithoutWaitingUntilNoneIsArmed) {
  ASSERT_TRUE(Load());
  RunTimers(app());  // Timer1's first tick opens the window and stops Timer1
  EXPECT_EQ(app().texts.LangIndex, 1);
  // Up and Help pressed together: both timers fire, and each stops itself.
  app().Deliver(Ctl::Up_P, Event::kMouseDown);
  app().Deliver(Ctl::Help_P, Event::kMouseDown);
  RunTimers(app());
  EXPECT_EQ(app().texts.LangIndex, 2);
  EXPECT_TRUE(window()[Ctl::Up_P].visible);
  EXPECT_TRUE(window()[Ctl::Help_P].visible);
  EXPECT_FALSE(app().Ended());
  EXPECT_TRUE(fake.clock.sleeps.empty());  // the timers' time is counted, not waited for
}

TEST_F(HeadlessTimers, TheyStopWhenTheRunEnds) {
  // A silent install of a CD without its list files ends on Timer1's first tick.
  ASSERT_TRUE(Load("/S /D=C:\\Apps"));
  RunTimers(app());
  EXPECT_TRUE(app().Ended());
}

}  // namespace
}  // namespace tunovar::posix
