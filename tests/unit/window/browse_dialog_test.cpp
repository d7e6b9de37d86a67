// The folder chooser: BrowseDialog1's parameters, the chooser's steps, and what the Browse
// button writes into the path box.
#include "window/browse_dialog.h"

#include <gtest/gtest.h>

#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::InstallerFixture;

TEST(BrowseDialog1Form, DesignValuesAndDebugMode) {
  testing::FakeUi ui;
  BrowseDialog1 dialog(ui);
  EXPECT_EQ(dialog.GetStartPath(), "Desktop");
  EXPECT_EQ(dialog.GetActualPath(), "Desktop");
  EXPECT_EQ(dialog.GetOpenedFolder(), "");
  EXPECT_EQ(dialog.GetPathSave(), "");
  EXPECT_EQ(dialog.SetStartPath(), "Desktop");  // without a path it only reads
  EXPECT_EQ(dialog.SetDebugMode(1), 0);
  EXPECT_EQ(dialog.SetDebugMode(3), 0);
  EXPECT_TRUE(dialog.Visible());
  EXPECT_EQ(dialog.SetDebugMode(0), 0);
  EXPECT_FALSE(dialog.Visible());
}

TEST(BrowseDialog1Form, ChooserStepsAndResult) {
  struct Row {
    const char* name;
    std::set<std::string> accepted;  // folders the chooser can preselect (empty: any)
    std::optional<std::string> choice;
    std::vector<std::string> calls;
    const char* actual;
  };
  const Row rows[] = {
      {"OK", {}, "D:\\Games",
       {"Options 1,3,true", "Root Desktop", "Preselect C:\\Old ok", "Show"}, "D:\\Games"},
      {"Cancel", {}, std::nullopt,
       {"Options 1,3,true", "Root Desktop", "Preselect C:\\Old ok", "Show"}, "C:\\Typed"},
      {"preselection refused, then Cancel", {"C:\\OTHER"}, std::nullopt,
       {"Options 1,3,true", "Root Desktop", "Preselect C:\\Old refused", "Show"}, "C:\\Typed"},
  };
  for (const Row& r : rows) {
    testing::FakeUi ui;
    ui.pickerFolders = r.accepted;
    ui.pickerChoice = r.choice;
    BrowseDialog1 dialog(ui);
    dialog.SetOpenedFolder("C:\\Old");
    dialog.SetPathSave("C:\\Typed");
    dialog.ShowBrowseDialog_Click();
    EXPECT_EQ(ui.pickerCalls, r.calls) << r.name;
    EXPECT_EQ(dialog.GetActualPath(), r.actual) << r.name;
  }
}

class Browse : public InstallerFixture {
 protected:
  void SetUp() override {
    fake.fs.AddDrive('E', 300);
    fake.fs.PutFolder("C:\\Programs\\TUNOVAR");
    fake.fs.PutFile("C:\\Games\\readme.txt", "x");
    OpenWindow();
  }
  // The path box after Browse with the text typed before and the chooser's answer.
  std::string BrowseFrom(const std::string& typed, std::optional<std::string> choice) {
    app().DeliverTypedText(typed);
    fake.ui.pickerCalls.clear();
    fake.ui.pickerChoice = std::move(choice);
    app().Deliver(Ctl::Browse_P, Event::kMouseDown);
    return Caption(Ctl::Text_InstPath);
  }
};

TEST_F(Browse, ChosenFolderGetsTheProductFolder) {
  struct Row { const char* name; const char* typed; std::optional<std::string> choice; const char* text; };
  const Row rows[] = {
      {"OK on a folder", "C:\\Programs\\TUNOVAR", "D:\\Games", "D:\\Games\\TUNOVAR"},
      {"OK on a drive root", "C:\\Programs\\TUNOVAR", "D:\\", "D:\\TUNOVAR"},
      {"OK on the product folder", "C:\\Programs\\TUNOVAR", "D:\\Games\\Tunovar", "D:\\Games\\Tunovar"},
      {"Cancel", "C:\\Programs\\TUNOVAR", std::nullopt, "C:\\Programs\\TUNOVAR"},
      {"Cancel with a trailing backslash", "C:\\Programs\\TUNOVAR\\", std::nullopt, "C:\\Programs\\TUNOVAR\\TUNOVAR"},
      {"Cancel on an empty box", "", std::nullopt, "\\TUNOVAR"},
  };
  for (const Row& r : rows) EXPECT_EQ(BrowseFrom(r.typed, r.choice), r.text) << r.name;
}

TEST_F(Browse, PreselectsTheTypedFolderOnlyWhenItListsFiles) {
  struct Row { const char* name; const char* typed; const char* preselected; };
  const Row rows[] = {
      {"folder without trailing backslash", "C:\\Programs\\TUNOVAR", "C:\\"},
      {"folder with files", "C:\\Games\\", "C:\\Games\\"},
      {"folder without files", "C:\\Programs\\", "C:\\"},
      {"empty box", "", "C:\\"},
  };
  for (const Row& r : rows) {
    BrowseFrom(r.typed, std::nullopt);
    ASSERT_EQ(fake.ui.pickerCalls.size(), 4u) << r.name;
    EXPECT_EQ(fake.ui.pickerCalls[2], std::string("Preselect ") + r.preselected + " ok") << r.name;
  }
}

TEST_F(Browse, InfoTextShowsTheNewDriveAndItsFreeSpace) {
  BrowseFrom("C:\\Programs\\TUNOVAR", "E:\\Music");
  EXPECT_EQ(app().space.InstDrive, "E:");
  EXPECT_EQ(app().space.FreeMB, 300);
  EXPECT_EQ(Caption(Ctl::Label_Text), "E:|300|65");
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(app().texts.TextTable[i][4], "E:\\Music\\TUNOVAR");
}

TEST_F(Browse, PressedPictureShowsAfterThePauseAndWhileTheChooserRuns) {
  testing::FormRecorder recorder(window());
  BrowseFrom("C:\\Programs\\TUNOVAR", "E:\\Music");
  ASSERT_FALSE(fake.shell.calls.empty());
  EXPECT_EQ(fake.shell.calls.back(), "Sleep 500");
  std::vector<std::pair<Ctl, bool>> pictures;
  for (const auto& c : recorder.changes) {
    if (c.property == Prop::kVisible) pictures.emplace_back(c.control, c.visible);
  }
  const std::vector<std::pair<Ctl, bool>> expected = {
      {Ctl::Browse_A, true}, {Ctl::Browse_P, false}, {Ctl::Browse_P, true}, {Ctl::Browse_A, false}};
  EXPECT_EQ(pictures, expected);
}

TEST_F(Browse, WithoutAChooserTheBoxKeepsItsTextAsOnCancel) {
  fake.ui.pickerAvailable = false;
  EXPECT_EQ(BrowseFrom("C:\\Programs\\TUNOVAR", "E:\\Music"), "C:\\Programs\\TUNOVAR");
  EXPECT_EQ(BrowseFrom("C:\\Programs\\", "E:\\Music"), "C:\\Programs\\TUNOVAR");
}

}  // namespace
}  // namespace tunovar
