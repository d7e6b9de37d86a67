// The keyboard in the installer window: the order of Tab and Shift+Tab, what Space and Enter
// do on each stop with the window locked and unlocked, and the names given to screen readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/installer_fixture.h"
#include "installer/focus_order.h"

namespace tunovar {
namespace {

using testing::InstallerFixture;
using S = FocusStop;

const char* NameOf(FocusStop stop) {
  static const char* const kNames[] = {"Up", "Down", "Help", "Path", "Browse", "CDDB", "Install", "Cancel"};
  return kNames[static_cast<std::size_t>(stop)];
}

enum class Start { kOpen, kNotReady, kLocked, kCddbCleared, kHelpPressed, kPathHidden };

class Keyboard : public InstallerFixture {
 protected:
  void Prepare(Start setup) {
    if (setup == Start::kNotReady) {
      ASSERT_TRUE(Load());
      return;
    }
    OpenWindow();
    switch (setup) {
      case Start::kLocked: app().DisableControls(); break;
      case Start::kCddbCleared: app().Deliver(Ctl::CDDB_a, Event::kClick); break;
      // Pressed, its timer not yet come: only Help_A shows.
      case Start::kHelpPressed: app().Deliver(Ctl::Help_P, Event::kMouseDown); break;
      case Start::kPathHidden: window().SetVisible(Ctl::Text_InstPath, false); break;
      default: break;
    }
  }
  void Keys(const std::vector<Key>& keys) {
    for (const Key k : keys) app().DeliverKey(k);
  }
  // Tab until the stop has the keyboard (at most once round the window).
  void TabTo(FocusStop stop) {
    for (std::size_t i = 0; i < kFocusStopCount && window().Focus() != stop; ++i) app().DeliverKey(Key::kTab);
    ASSERT_EQ(window().Focus(), stop);
  }

  // What a press may change, named.
  struct Snapshot {
    std::int32_t language;
    int helpTimer;
    std::size_t pickers;
    bool cddb;
    long installs;
    bool ended;
  };
  Snapshot Take() {
    return {app().texts.LangIndex, window()[Ctl::HelpTimer].interval, fake.ui.pickerCalls.size(),
            app().space.CDDBSelected,
            static_cast<long>(std::count(fake.shell.opened.begin(), fake.shell.opened.end(),
                                         "D:\\TUNOVAR\\runtime\\oset.exe")),
            app().Ended()};
  }
  static std::string Changed(const Snapshot& a, const Snapshot& b) {
    std::string out;
    auto add = [&out](bool changed, const char* name) {
      if (changed) out += out.empty() ? name : std::string(",") + name;
    };
    add(a.language != b.language, "language");
    add(a.helpTimer != b.helpTimer, "help");
    add(a.pickers != b.pickers, "browse");
    add(a.cddb != b.cddb, "cddb");
    add(a.installs != b.installs, "install");
    add(a.ended != b.ended, "ended");
    return out;
  }
};

TEST_F(Keyboard, TabAndShiftTabGoThroughTheStopsThatTakeTheKeyboard) {
  const Key T = Key::kTab;
  const Key B = Key::kBackTab;
  struct Row { const char* name; Start setup; std::vector<Key> keys; FocusStop focus; };
  const Row rows[] = {
      {"the path box has it first", Start::kOpen, {}, S::kPath},
      {"Tab: Browse", Start::kOpen, {T}, S::kBrowse},
      {"then the CDDB option", Start::kOpen, {T, T}, S::kCddb},
      {"then Install", Start::kOpen, {T, T, T}, S::kInstall},
      {"then Cancel", Start::kOpen, {T, T, T, T}, S::kCancel},
      {"round the end to Up", Start::kOpen, {T, T, T, T, T}, S::kUp},
      {"then Down", Start::kOpen, {T, T, T, T, T, T}, S::kDown},
      {"then Help", Start::kOpen, {T, T, T, T, T, T, T}, S::kHelp},
      {"eight Tabs come round", Start::kOpen, {T, T, T, T, T, T, T, T}, S::kPath},
      {"Shift+Tab: Help", Start::kOpen, {B}, S::kHelp},
      {"Shift+Tab round the start", Start::kOpen, {B, B, B, B}, S::kCancel},
      {"Tab then Shift+Tab", Start::kOpen, {T, B}, S::kPath},
      {"not ready: nothing moves", Start::kNotReady, {T, T}, S::kPath},
      {"locked: only Cancel", Start::kLocked, {T}, S::kCancel},
      {"locked: Cancel keeps it", Start::kLocked, {T, T, B}, S::kCancel},
      {"the cleared option is a stop", Start::kCddbCleared, {T, T}, S::kCddb},
      {"pressed Help is a stop", Start::kHelpPressed, {B}, S::kHelp},
      {"a hidden path box is passed over", Start::kPathHidden, {T, T, T, T, T, T, T, T}, S::kBrowse},
      {"Space moves nothing", Start::kLocked, {Key::kSpace}, S::kPath},
  };
  for (const Row& r : rows) {
    Prepare(r.setup);
    Keys(r.keys);
    EXPECT_EQ(window().Focus(), r.focus) << r.name << ": " << NameOf(window().Focus());
  }
}

TEST_F(Keyboard, SpaceAndEnterPressTheStopAsItsClickUnlessLocked) {
  struct Row { FocusStop stop; Key key; bool locked; const char* changes; };
  const Row rows[] = {
      {S::kUp, Key::kSpace, false, "language"},
      {S::kDown, Key::kEnter, false, "language"},
      {S::kHelp, Key::kSpace, false, "help"},
      {S::kBrowse, Key::kSpace, false, "browse"},
      {S::kCddb, Key::kSpace, false, "cddb"},
      {S::kCddb, Key::kEnter, false, "cddb"},
      {S::kInstall, Key::kSpace, false, "install,ended"},  // no list files: it ends as corrupted
      {S::kCancel, Key::kSpace, false, "ended"},
      {S::kPath, Key::kEnter, false, "install,ended"},
      {S::kPath, Key::kSpace, false, ""},  // a blank typed into the box
      {S::kUp, Key::kSpace, true, ""},
      {S::kHelp, Key::kEnter, true, ""},
      {S::kBrowse, Key::kSpace, true, ""},
      {S::kCddb, Key::kSpace, true, ""},
      {S::kInstall, Key::kEnter, true, ""},
      {S::kPath, Key::kEnter, true, ""},
      {S::kCancel, Key::kSpace, true, "ended"},
      {S::kCancel, Key::kEnter, true, "ended"},
      {S::kInstall, Key::kEscape, true, "ended"},
  };
  for (const Row& r : rows) {
    const std::string name = std::string(NameOf(r.stop)) + (r.key == Key::kSpace ? " Space" : " Enter") +
                             (r.locked ? " locked" : "");
    fake.shell.opened.clear();
    fake.ui.pickerCalls.clear();
    OpenWindow();
    TabTo(r.stop);
    // The lock leaves the keyboard where it was: on a control it has disabled.
    if (r.locked) app().DisableControls();
    const Snapshot before = Take();
    app().DeliverKey(r.key);
    EXPECT_EQ(Changed(before, Take()), r.changes) << name;
    if (r.stop == S::kCancel && !app().Ended()) continue;
    EXPECT_EQ(window().Focus(), r.stop) << name << ": a press leaves the keyboard where it is";
  }
}

TEST_F(Keyboard, APressLandsOnThePictureThatShows) {
  OpenWindow();
  TabTo(S::kCddb);
  // Off, on, off: each press reaches the visible picture only, never both of the pair.
  for (const bool chosen : {false, true, false}) {
    app().DeliverKey(Key::kSpace);
    EXPECT_EQ(app().space.CDDBSelected, chosen);
    EXPECT_EQ(window()[Ctl::CDDB_a].visible, chosen);
    EXPECT_EQ(window()[Ctl::CDDB_p].visible, !chosen);
  }
  TabTo(S::kUp);
  app().DeliverKey(Key::kSpace);
  ASSERT_EQ(app().texts.LangIndex, 2);
  // Pressed and not yet redrawn: a second press falls through, as a second click does.
  app().DeliverKey(Key::kSpace);
  EXPECT_EQ(app().texts.LangIndex, 2);
  app().Deliver(Ctl::TextTimerUp, Event::kTimer);
  EXPECT_EQ(Caption(Ctl::Label_Install), "Installer");
}

TEST_F(Keyboard, TheKeyboardFollowsAClickIntoThePathBoxOnlyWhereItCanGo) {
  OpenWindow();
  TabTo(S::kInstall);
  app().DeliverFocus(S::kPath);
  EXPECT_EQ(window().Focus(), S::kPath);
  app().DisableControls();
  app().DeliverFocus(S::kBrowse);
  EXPECT_EQ(window().Focus(), S::kPath);
  app().DeliverFocus(S::kCancel);
  EXPECT_EQ(window().Focus(), S::kCancel);
}

TEST_F(Keyboard, ScreenReadersAreGivenTheNamesOfTheLanguageShown) {
  OpenWindow();  // English
  struct Row { FocusStop stop; AccessibleRole role; const char* english; const char* french; };
  const Row rows[] = {
      {S::kUp, AccessibleRole::kPushButton, "Next language", "Next language"},
      {S::kDown, AccessibleRole::kPushButton, "Previous language", "Previous language"},
      {S::kHelp, AccessibleRole::kPushButton, "Help", "Help"},
      {S::kPath, AccessibleRole::kEditBox, "Path EN", "Dossier FR"},
      {S::kBrowse, AccessibleRole::kPushButton, "Browse", "Browse"},
      {S::kCddb, AccessibleRole::kCheckBox, "CDDB EN", "CDDB FR"},
      {S::kInstall, AccessibleRole::kPushButton, "Install", "Installer"},
      {S::kCancel, AccessibleRole::kPushButton, "Cancel", "Annuler"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(RoleOf(r.stop), r.role) << NameOf(r.stop);
    EXPECT_EQ(AccessibleName(window(), r.stop), r.english) << NameOf(r.stop);
  }
  Press(Ctl::Up_P, Ctl::TextTimerUp);
  for (const Row& r : rows) EXPECT_EQ(AccessibleName(window(), r.stop), r.french) << NameOf(r.stop);
  // A section without its texts leaves the English names.
  window().SetCaption(Ctl::Label_Install, "");
  EXPECT_EQ(AccessibleName(window(), S::kInstall), "Install");
}

}  // namespace
}  // namespace tunovar
