// The progress bar: redrawn only on a new whole percent, held at 99% until the final call.
#include <gtest/gtest.h>

#include <limits>

#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::InstallerFixture;

class Progress : public InstallerFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(Load()); }
  // Sets the accumulated value as the copy steps would have left it.
  void At(float value, std::int32_t shown) {
    app().progress.ProgressValue = value;
    app().progress.ProgressPercent = shown;
  }
  [[nodiscard]] int Bar() { return window().Progress().barPercent; }
  [[nodiscard]] std::string Text() { return window().Progress().text; }
};

TEST_F(Progress, FirstStepAfterAResetShowsOnePercent) {
  At(0, 0);
  app().ShowProgress(1, false);
  EXPECT_TRUE(window().Progress().drawn);
  EXPECT_EQ(Bar(), 1);
  EXPECT_EQ(Text(), "1%");
  EXPECT_EQ(app().progress.ProgressPercent, 1);
}

TEST_F(Progress, StepsWithinTheSameWholePercentDrawNothing) {
  At(0, 0);
  testing::FormRecorder recorder(window());
  app().ShowProgress(1, false);
  app().ShowProgress(0.4f, false);
  app().ShowProgress(0.5f, false);
  EXPECT_EQ(recorder.Count(Prop::kProgress), 1);
  app().ShowProgress(0.2f, false);  // 2.1
  EXPECT_EQ(recorder.Count(Prop::kProgress), 2);
  EXPECT_EQ(Text(), "2%");
}

TEST_F(Progress, HeldAtNinetyNineUntilTheFinalCall) {
  At(99.9f, 98);
  app().ShowProgress(0, false);
  EXPECT_EQ(Bar(), 99);
  EXPECT_EQ(Text(), "99%");
  app().ShowProgress(0.3f, false);  // 100.2: a full bar beside 99%
  EXPECT_EQ(Bar(), 100);
  EXPECT_EQ(Text(), "99%");
  EXPECT_EQ(app().progress.ProgressPercent, 99);
  app().ShowProgress(0, true);
  EXPECT_EQ(Bar(), 100);
  EXPECT_EQ(Text(), "100%");
  EXPECT_EQ(app().progress.ProgressPercent, 100);
}

TEST_F(Progress, FinalCallBelowTheLastShownPercentChangesNothing) {
  At(97.5f, 97);
  testing::FormRecorder recorder(window());
  app().ShowProgress(0, true);
  EXPECT_EQ(recorder.Count(Prop::kProgress), 0);
  EXPECT_EQ(app().progress.ProgressPercent, 97);
}

TEST_F(Progress, AValueThatIsNoNumberDrawsNothing) {
  At(5, 5);
  testing::FormRecorder recorder(window());
  app().ShowProgress(std::numeric_limits<float>::quiet_NaN(), false);
  app().ShowProgress(std::numeric_limits<float>::infinity(), false);
  EXPECT_EQ(recorder.Count(Prop::kProgress), 0);
  EXPECT_EQ(app().progress.ProgressPercent, 5);
}

TEST(ProgressSilent, TheTerminalBarShowsThePercentOfTheText) {
  testing::FakePlatform fake;
  Installer app(fake.platform, {"D:\\TUNOVAR\\runtime", "install"}, ParseSwitches("/S"));
  ASSERT_TRUE(app.Start());
  app.ShowProgress(1, false);
  app.ShowProgress(0.5f, false);
  app.ShowProgress(99, false);
  app.ShowProgress(0, true);
  EXPECT_EQ(fake.console.bar, (std::vector<int>{1, 99, 100}));
}

}  // namespace
}  // namespace tunovar
