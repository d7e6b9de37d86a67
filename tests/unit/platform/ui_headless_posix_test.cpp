// Tests of the window system of a Linux run, which has no window.
#include "platform/posix/ui_headless.h"


#include <gtest/gtest.h>

#include "support/temp_drives.h"

namespace tunovar::posix {
namespace {

using testing::TempDrives;

TEST(HeadlessUiPosix, MessagesAnswerOkAndYesAndThereIsNoChooser) {
  HeadlessUi ui;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ui.ShowMessage("Ovri TUNOVAR Deinstallation", "Wirklich l\xF6schen?", MessageButtons::kYesNo),
            MessageAnswer::kYes);
  EXPECT_EQ(ui.ShowMessage("Error", "x", MessageButtons::kOk), MessageAnswer::kOk);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Ovri TUNOVAR Deinstallation: Wirklich l\xC3\xB6schen?\nError: x\n");
  EXPECT_EQ(ui.CreateFolderPicker(), nullptr);
  EXPECT_EQ(ui.TwipsPerPixelY(), 15.0f);
}

TEST(HeadlessUiPosix, PumpStatisticsGiveTheCountAndTheLargestGap) {
  TempDrives drives;
  const std::string stats = drives.Base() + "/pumps.txt";
  drives.SetEnv("TUNOVAR_PUMP_STATS", stats);
  {
    std::uint64_t nowNs = 5'000'000;
    HeadlessUi ui([&nowNs] { return nowNs; });
    ui.PumpEvents();
    nowNs += 40'250'000;
    ui.PumpEvents();
    nowNs += 1'000'000;
    ui.PumpEvents();
    EXPECT_EQ(ui.Pumps(), 3u);
    EXPECT_EQ(ui.LargestGapMs(), 40.25);
  }
  const auto text = TempDrives::ReadFile(stats);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, "pumps=3\nlargest_gap_ms=40.250\n");
  drives.SetEnv("TUNOVAR_PUMP_STATS", std::nullopt);
  { HeadlessUi quiet; quiet.PumpEvents(); }
  EXPECT_EQ(TempDrives::ReadFile(stats), text);  // without the variable nothing is written
}

}  // namespace
}  // namespace tunovar::posix
