// The one way a run ends on a failure that no step foresaw, for both back-ends' main.
#include "installer/installer_run.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/fake_platform.h"
#include "support/installer_fixture.h"

namespace tunovar {
namespace {

TEST(RunReportingUnexpected, AFailureNoStepCaughtIsSaidAndEndsWithExitCode3) {
  struct Row {
    const char* name;
    std::function<int()> run;
    int code;
    const char* said;  // nullptr: nothing
  };
  const Row rows[] = {
      {"a run that ends", [] { return kExitIncomplete; }, kExitIncomplete, nullptr},
      {"a standard exception", []() -> int { throw std::runtime_error("out of room"); }, kExitFatalFile,
       "The installer stopped on an unexpected failure: out of room"},
      {"anything else thrown", []() -> int { throw 7; }, kExitFatalFile,
       "The installer stopped on an unexpected failure: a failure of no known kind"},
  };
  for (const Row& r : rows) {
    testing::FakeConsole console;
    EXPECT_EQ(RunReportingUnexpected(console, r.run), r.code) << r.name;
    const std::vector<std::string> said = r.said == nullptr ? std::vector<std::string>{}
                                                            : std::vector<std::string>{r.said};
    EXPECT_EQ(console.errors, said) << r.name;
    EXPECT_EQ(console.log, said) << r.name;
  }
}

using HeadlessTimers = testing::InstallerFixture;

TEST_F(HeadlessTimers, ArmedTimersFireWithoutWaitingUntilNoneIsArmed) {
  ASSERT_TRUE(Load());
  RunTimersHeadless(app());  // Timer1's first tick opens the window and stops Timer1
  EXPECT_EQ(app().texts.LangIndex, 1);
  // Up and Help pressed together: both timers fire, and each stops itself.
  app().Deliver(Ctl::Up_P, Event::kMouseDown);
  app().Deliver(Ctl::Help_P, Event::kMouseDown);
  RunTimersHeadless(app());
  EXPECT_EQ(app().texts.LangIndex, 2);
  EXPECT_TRUE(window()[Ctl::Up_P].visible);
  EXPECT_TRUE(window()[Ctl::Help_P].visible);
  EXPECT_FALSE(app().Ended());
  EXPECT_TRUE(fake.clock.sleeps.empty());  // the timers' time is counted, not waited for
}

TEST_F(HeadlessTimers, TheyStopWhenTheRunEnds) {
  // A silent install of a CD without its list files ends on Timer1's first tick.
  ASSERT_TRUE(Load("/S /D=C:\\Apps"));
  RunTimersHeadless(app());
  EXPECT_TRUE(app().Ended());
}

}  // namespace
}  // namespace tunovar
