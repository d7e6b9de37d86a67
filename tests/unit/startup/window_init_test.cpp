// Window initialisation: order of its steps, scaling to the screen, visibility, language.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::InstallerFixture;

class WindowInit : public InstallerFixture {};

TEST_F(WindowInit, At15TwipsPerPixelTheDesignStays) {
  fake.ui.twipsPerPixel = 15;
  OpenWindow();
  for (const ControlDesign& d : InstallerDesign()) {
    const ControlState& s = window()[d.id];
    EXPECT_EQ(s.left, d.left) << d.name;
    EXPECT_EQ(s.top, d.top) << d.name;
    EXPECT_EQ(s.width, d.width) << d.name;
    EXPECT_EQ(s.height, d.height) << d.name;
    EXPECT_EQ(s.fontSize, d.fontSize) << d.name;
  }
}

TEST_F(WindowInit, At12TwipsPerPixelEveryScaledValueShrinksToFourFifths) {
  fake.ui.twipsPerPixel = 12;
  OpenWindow();
  const Form& w = window();
  EXPECT_EQ(w[Ctl::Installer].width, 9600.0f);
  EXPECT_EQ(w[Ctl::Installer].height, 7190.4f);
  EXPECT_EQ(w[Ctl::Label_Text].left, 348.0f);
  EXPECT_EQ(w[Ctl::Label_Text].width, 9048.0f);
  EXPECT_EQ(w[Ctl::Up_P].left, 7068.0f);
  EXPECT_EQ(w[Ctl::Label_Caption].fontSize, 9.6f);
  EXPECT_EQ(w[Ctl::Text_InstPath].fontSize, 7.2f);
  // Button pictures move and keep their size; the progress bar is resized.
  EXPECT_EQ(w[Ctl::Up_P].width, 276.0f);
  EXPECT_EQ(w[Ctl::Up_P].height, 252.0f);
  EXPECT_EQ(w[Ctl::CDDB_p].top, 6336.0f);
  EXPECT_EQ(w[Ctl::Verlauf].left, 396.0f);
  EXPECT_EQ(w[Ctl::Verlauf].width, 2400.0f);
  EXPECT_EQ(w[Ctl::Verlauf].height, 180.0f);
  // Controls outside the table are not touched, and neither are picture fonts.
  EXPECT_EQ(w[Ctl::DriveListe].left, 7080.0f);
  EXPECT_EQ(w[Ctl::Label_DDE].fontSize, 7.8f);
  EXPECT_EQ(w[Ctl::Verlauf].fontSize, 9.6f);
}

// A screen whose twips per pixel are asked for each time, and may answer badly.
class CountingUi : public testing::FakeUi {
 public:
  std::function<float(int call)> answer;
  int calls = 0;
  float TwipsPerPixelY() override { return answer(++calls); }
};

TEST(WindowInitScaling, EachPropertyReadsTheScreenAfreshAndAFaultSkipsOnlyIt) {
  testing::FakePlatform fake;
  CountingUi ui;
  Platform platform{fake.fs, fake.shell, ui, fake.console, fake.clock};
  // Call 1 and 2 scale the window, 3 and 4 Left and Top of Browse_A.
  ui.answer = [](int call) {
    if (call == 3) return std::numeric_limits<float>::quiet_NaN();
    if (call == 4) return 1e38f;  // overflows a single
    return 12.0f;
  };
  Installer app(platform, {"D:\\TUNOVAR\\runtime", "install"});
  ASSERT_TRUE(app.Start());
  app.Deliver(Ctl::Timer1, Event::kTimer);
  EXPECT_EQ(ui.calls, 66);  // 2 for the window, 10 pictures x 2, Verlauf 4, 8 labels and the box x 5
  EXPECT_EQ(app.Window()[Ctl::Installer].width, 9600.0f);
  EXPECT_EQ(app.Window()[Ctl::Browse_A].left, 8040.0f);
  EXPECT_EQ(app.Window()[Ctl::Browse_A].top, 7245.0f);
  EXPECT_EQ(app.Window()[Ctl::Browse_P].left, 6432.0f);
  EXPECT_TRUE(app.Window().Ready());
}

TEST_F(WindowInit, StepsRunInOrderAndLeaveTheWindowReady) {
  fake.shell.langId = 0x040C;
  fake.shell.windowsDirectory = "C:\\WINNT";
  OpenWindow();
  ASSERT_FALSE(app().Ended());
  EXPECT_EQ(app().folders.WinDir, "C:\\WINNT\\");
  ASSERT_FALSE(fake.shell.calls.empty());
  EXPECT_EQ(fake.shell.calls[0], "Open D:\\TUNOVAR\\runtime\\trelva.exe||D:\\TUNOVAR\\runtime|1");
  EXPECT_EQ(app().texts.LanguageCount, 3);
  EXPECT_EQ(app().texts.LangIndex, 2);
  EXPECT_TRUE(app().space.CDDBSelected);
  EXPECT_EQ(Caption(Ctl::Label_Language), "Fran\xE7" "ais");
  EXPECT_EQ(Caption(Ctl::Text_InstPath), "C:\\Programmes\\TUNOVAR\\");
  // French: 70 MB and 8 more for the CDDB option, which starts chosen.
  EXPECT_EQ(Caption(Ctl::Label_Text), "C:|1000|78");
  EXPECT_EQ(app().space.RequiredMB, 78);
  // Every section has the first language's path from the first display on.
  EXPECT_EQ(app().texts.TextTable[0][4], "C:\\Programmes\\TUNOVAR\\");
  EXPECT_TRUE(window().Ready());
}

TEST_F(WindowInit, ExactlyOnePictureOfEachPairShows) {
  OpenWindow();
  const Form& w = window();
  for (const Ctl shown : {Ctl::Up_P, Ctl::Down_P, Ctl::Help_P, Ctl::Browse_P, Ctl::CDDB_a}) {
    EXPECT_TRUE(w[shown].visible) << DesignOf(shown).name;
  }
  for (const Ctl hidden : {Ctl::Up_A, Ctl::Down_A, Ctl::Help_A, Ctl::Browse_A, Ctl::CDDB_p}) {
    EXPECT_FALSE(w[hidden].visible) << DesignOf(hidden).name;
  }
  for (const Ctl label : {Ctl::Label_CDDB, Ctl::Label_Cancel, Ctl::Label_Install, Ctl::Label_Caption,
                          Ctl::Label_InstPath, Ctl::Label_Language, Ctl::Label_Text,
                          Ctl::Text_InstPath, Ctl::Verlauf}) {
    EXPECT_TRUE(w[label].visible) << DesignOf(label).name;
  }
}

TEST_F(WindowInit, CorruptedTextsEndTheProgramBeforeAnythingIsScaled) {
  PutTexts(testing::GermanTexts().Lines() + "\r\n");
  fake.ui.twipsPerPixel = 12;
  fake.shell.langId = 0x040C;
  OpenWindow();
  EXPECT_TRUE(app().Ended());
  EXPECT_EQ(app().ExitCodeOfRun(), kExitFatalFile);
  ASSERT_EQ(fake.ui.messages.size(), 1u);
  EXPECT_EQ(fake.ui.messages[0].title, "Error");
  EXPECT_EQ(fake.ui.messages[0].text, "File \"D:\\TUNOVAR\\runtime\\insttext\" is corrupted");
  // The companion program was started; nothing after the report ran.
  EXPECT_EQ(fake.shell.opened, std::vector<std::string>{"D:\\TUNOVAR\\runtime\\trelva.exe"});
  EXPECT_EQ(window()[Ctl::Label_Text].left, 435.0f);
  EXPECT_EQ(window()[Ctl::Installer].width, 12000.0f);
  EXPECT_TRUE(window()[Ctl::Up_A].visible);
  EXPECT_EQ(app().texts.LangIndex, 0);
  EXPECT_FALSE(app().space.CDDBSelected);
  EXPECT_FALSE(window().Ready());
}

TEST_F(WindowInit, MissingTextsGiveAnEmptyButWorkingWindow) {
  (void)fake.fs.DeleteFile(std::string(kAppPath) + "insttext");
  OpenWindow();
  EXPECT_FALSE(app().Ended());
  EXPECT_EQ(app().texts.LanguageCount, 0);
  EXPECT_EQ(Caption(Ctl::Label_Text), "");
  EXPECT_EQ(Caption(Ctl::Label_Caption), "");
  EXPECT_TRUE(window().Ready());
}

}  // namespace
}  // namespace tunovar
