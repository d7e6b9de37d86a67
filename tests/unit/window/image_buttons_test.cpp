// The picture buttons: press pattern and timers, the language ring, help, the CDDB option,
// Cancel, and the lock of the window during an installation.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::EnglishTexts;
using testing::InstallerFixture;
using testing::InstallerTextFile;

class Buttons : public InstallerFixture {
 protected:
  void Up() { Press(Ctl::Up_P, Ctl::TextTimerUp); }
  void Down() { Press(Ctl::Down_P, Ctl::TextTimerDown); }
};

TEST_F(Buttons, UpShowsThePressedPictureAndActsOnTheTimer) {
  OpenWindow();  // English
  app().Deliver(Ctl::Up_P, Event::kMouseDown);
  EXPECT_TRUE(window()[Ctl::Up_A].visible);
  EXPECT_FALSE(window()[Ctl::Up_P].visible);
  EXPECT_EQ(window()[Ctl::TextTimerUp].interval, 100);
  EXPECT_EQ(app().texts.LangIndex, 2);
  EXPECT_EQ(Caption(Ctl::Label_Language), "English");  // not yet redrawn
  // While pressed the normal picture is hidden: a second press falls through.
  app().Deliver(Ctl::Up_P, Event::kMouseDown);
  EXPECT_EQ(app().texts.LangIndex, 2);

  app().Deliver(Ctl::TextTimerUp, Event::kTimer);
  EXPECT_EQ(window()[Ctl::TextTimerUp].interval, 0);
  EXPECT_EQ(Caption(Ctl::Label_Language), "Fran\xE7" "ais");
  EXPECT_EQ(Caption(Ctl::Label_Install), "Installer");
  EXPECT_TRUE(window()[Ctl::Up_P].visible);
  EXPECT_FALSE(window()[Ctl::Up_A].visible);
  // The timer fires once.
  app().Deliver(Ctl::TextTimerUp, Event::kTimer);
  EXPECT_EQ(app().texts.LangIndex, 2);
}

TEST_F(Buttons, LanguagesFormARing) {
  OpenWindow();
  struct Row { const char* name; std::int32_t from; bool up; std::int32_t to; };
  const Row rows[] = {
      {"up from the last", 2, true, 0}, {"up", 0, true, 1},
      {"down from the first", 0, false, 2}, {"down", 2, false, 1},
  };
  for (const Row& r : rows) {
    app().texts.LangIndex = r.from;
    r.up ? Up() : Down();
    EXPECT_EQ(app().texts.LangIndex, r.to) << r.name;
  }
  app().texts.LangIndex = 2;
  Up();
  Down();
  EXPECT_EQ(app().texts.LangIndex, 2);
  EXPECT_EQ(Caption(Ctl::Label_Caption), "Titre FR");
}

TEST_F(Buttons, TheRingNeverLeavesTheStoredSections) {
  PutTexts(InstallerTextFile({EnglishTexts()}));
  fake.shell.langId = 0x040C;  // French: section 2, which this file lacks
  OpenWindow();
  ASSERT_EQ(app().texts.LangIndex, 2);
  Up();
  EXPECT_EQ(app().texts.LangIndex, 0);
  // The empty section shown first left the stored section's default path in place.
  EXPECT_EQ(Caption(Ctl::Text_InstPath), "C:\\Programs\\TUNOVAR\\");
  Up();
  EXPECT_EQ(app().texts.LangIndex, 0);
  app().texts.LangIndex = 2;
  Down();
  EXPECT_EQ(app().texts.LangIndex, 0);
  EXPECT_EQ(Caption(Ctl::Label_Language), "English");
  // With no section read at all, the ring is the one empty section 0.
  app().texts.LanguageCount = 0;
  Down();
  EXPECT_EQ(app().texts.LangIndex, 0);
  Up();
  EXPECT_EQ(app().texts.LangIndex, 0);
}

TEST_F(Buttons, SwitchingTheLanguageKeepsTheTypedPath) {
  OpenWindow();
  app().DeliverTypedText("E:\\Musik\\TUNOVAR\\");
  Up();
  Up();
  EXPECT_EQ(Caption(Ctl::Text_InstPath), "E:\\Musik\\TUNOVAR\\");
  EXPECT_EQ(Caption(Ctl::Label_Language), "Deutsch");
}

TEST_F(Buttons, HelpOpensTheLanguagesHelpFileInTheProductFolder) {
  fake.shell.langId = 0x040C;
  fake.shell.openResult = 2;  // not found: no message of ours, the images come back anyway
  OpenWindow();
  app().Deliver(Ctl::Help_P, Event::kMouseDown);
  EXPECT_TRUE(window()[Ctl::Help_A].visible);
  EXPECT_FALSE(window()[Ctl::Help_P].visible);
  EXPECT_EQ(window()[Ctl::HelpTimer].interval, 100);
  app().Deliver(Ctl::HelpTimer, Event::kTimer);
  EXPECT_EQ(fake.shell.calls.back(), "Open D:\\TUNOVAR\\2_TunoDoc.hlp||D:\\TUNOVAR|1");
  EXPECT_EQ(window()[Ctl::HelpTimer].interval, 0);
  EXPECT_TRUE(window()[Ctl::Help_P].visible);
  EXPECT_FALSE(window()[Ctl::Help_A].visible);
  EXPECT_TRUE(fake.ui.messages.empty());
}

TEST_F(Buttons, CddbOptionChangesTheRequiredSpaceAtOnce) {
  OpenWindow();
  EXPECT_EQ(Caption(Ctl::Label_Text), "C:|1000|65");
  app().Deliver(Ctl::CDDB_a, Event::kClick);
  EXPECT_FALSE(app().space.CDDBSelected);
  EXPECT_FALSE(window()[Ctl::CDDB_a].visible);
  EXPECT_TRUE(window()[Ctl::CDDB_p].visible);
  EXPECT_EQ(Caption(Ctl::Label_Text), "C:|1000|60");
  // The click lands on the visible picture only.
  app().Deliver(Ctl::CDDB_a, Event::kClick);
  EXPECT_FALSE(app().space.CDDBSelected);
  app().Deliver(Ctl::CDDB_p, Event::kClick);
  EXPECT_TRUE(app().space.CDDBSelected);
  EXPECT_TRUE(window()[Ctl::CDDB_a].visible);
  EXPECT_FALSE(window()[Ctl::CDDB_p].visible);
  EXPECT_EQ(Caption(Ctl::Label_Text), "C:|1000|65");
}

TEST_F(Buttons, CancelEndsTheProgramAtOnceEvenWhileLocked) {
  OpenWindow();
  app().DisableControls();
  app().Deliver(Ctl::Label_Cancel, Event::kClick);
  EXPECT_TRUE(app().Ended());
  EXPECT_EQ(app().ExitCodeOfRun(), kExitCancelled);
  EXPECT_TRUE(fake.ui.messages.empty());
}

TEST_F(Buttons, LockedWindowIgnoresEveryButtonButCancel) {
  OpenWindow();
  app().DisableControls();
  const Ctl locked[] = {Ctl::Up_A, Ctl::Up_P, Ctl::Down_A, Ctl::Down_P, Ctl::Help_A, Ctl::Help_P,
                        Ctl::CDDB_a, Ctl::CDDB_p, Ctl::Text_InstPath, Ctl::Label_Install,
                        Ctl::Browse_A, Ctl::Browse_P};
  for (const Ctl c : locked) EXPECT_FALSE(window()[c].enabled) << DesignOf(c).name;
  EXPECT_TRUE(window()[Ctl::Label_Cancel].enabled);
  EXPECT_EQ(window().WindowPointer(), MousePointer::kHourglass);

  app().Deliver(Ctl::Up_P, Event::kMouseDown);
  app().Deliver(Ctl::Down_P, Event::kMouseDown);
  app().Deliver(Ctl::Help_P, Event::kMouseDown);
  app().Deliver(Ctl::Browse_P, Event::kMouseDown);
  app().Deliver(Ctl::CDDB_a, Event::kClick);
  app().Deliver(Ctl::Text_InstPath, Event::kDblClick);
  app().DeliverTypedText("E:\\x");
  EXPECT_EQ(app().texts.LangIndex, 1);
  EXPECT_TRUE(app().space.CDDBSelected);
  EXPECT_EQ(window()[Ctl::HelpTimer].interval, 0);
  EXPECT_EQ(window()[Ctl::Text_InstPath].selLength, 0);
  EXPECT_EQ(Caption(Ctl::Text_InstPath), "C:\\Programs\\TUNOVAR\\");
  EXPECT_TRUE(fake.ui.pickerCalls.empty());

  app().EnableControls();
  for (const Ctl c : locked) EXPECT_TRUE(window()[c].enabled) << DesignOf(c).name;
  EXPECT_EQ(window().WindowPointer(), MousePointer::kDefault);
  app().Deliver(Ctl::CDDB_a, Event::kClick);
  EXPECT_FALSE(app().space.CDDBSelected);
}

TEST_F(Buttons, EnterPressesInstallAndEscapeCancelGatedAsTheirClicks) {
  struct Row { const char* name; bool ready; bool locked; Key key; bool installs; bool ends; };
  const Row rows[] = {
      {"Enter", true, false, Key::kEnter, true, true},  // no list files: the run ends as corrupted
      {"Enter while locked", true, true, Key::kEnter, false, false},
      {"Enter before the window is ready", false, false, Key::kEnter, false, false},
      {"Escape", true, false, Key::kEscape, false, true},
      {"Escape while locked", true, true, Key::kEscape, false, true},
      {"Escape before the window is ready", false, false, Key::kEscape, false, false},
  };
  for (const Row& r : rows) {
    fake.shell.opened.clear();
    if (r.ready) {
      OpenWindow();
    } else {
      ASSERT_TRUE(Load());
    }
    if (r.locked) app().DisableControls();
    app().DeliverKey(r.key);
    const bool installed = std::count(fake.shell.opened.begin(), fake.shell.opened.end(),
                                      "D:\\TUNOVAR\\runtime\\oset.exe") == 1;
    EXPECT_EQ(installed, r.installs) << r.name;
    EXPECT_EQ(app().Ended(), r.ends) << r.name;
  }
}

}  // namespace
}  // namespace tunovar
