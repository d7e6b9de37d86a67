// The program group as shell links, where Program Manager does not answer.
#include <gtest/gtest.h>

#include <algorithm>

#include "install/link_group.h"
#include "installer/installer.h"
#include "support/installer_fixture.h"

namespace tunovar {
namespace {

constexpr const char* kGroupPath = "D:\\TUNOVAR\\runtime\\group";
constexpr const char* kTarget = "C:\\Apps\\TUNOVAR\\";

const std::string kTwoLanguages =
    "3\r\nTUNOVAR\r\nOvri TUNOVAR\r\n"
    "### Deutsch\r\nSpieler\r\nTUNOVAR\\tunOVAR.exe\r\nLies mich\r\nTUNOVAR\\readme.txt\r\n"
    "Einleitung\r\n##ONCD: TUNOVAR\\intro.txt \r\n"
    "### English\r\nPlayer\r\nTUNOVAR\\tunOVAR.exe\r\nRead me\r\nTUNOVAR\\readme.txt\r\n"
    "Introduction - CD\r\n##ONCD: TUNOVAR\\intro.txt \r\n";

struct World : testing::InstallerOnCd {
  World() {
    installer.folders.WinDir = "C:\\WINDOWS\\";
    installer.texts.LanguageCount = 2;
    installer.texts.LangIndex = 1;
    fake.fs.PutFile(kGroupPath, kTwoLanguages);
    fake.fs.PutFolder(Machine());
    fake.fs.PutFolder(User());
  }
  std::string Machine() const { return *fake.shell.machinePrograms; }
  std::string User() const { return *fake.shell.userPrograms; }
  // The "Link" calls of the shell, without the word.
  std::vector<std::string> Links() const {
    std::vector<std::string> out;
    for (const std::string& call : fake.shell.calls) {
      if (call.rfind("Link ", 0) == 0) out.push_back(call.substr(5));
    }
    return out;
  }
};

TEST(LinkFileTitle, TitlesAsFileNames) {
  const struct {
    const char* title;
    std::optional<std::string> name;
  } kRows[] = {
      {"Read me", "Read me"},
      {"Introduction - CD", "Introduction - CD"},
      {"\xC4rger & Co (100%)", "\xC4rger & Co (100%)"},
      {"A/B\\C", "A_B_C"},
      {"Was? *Wie*", "Was_ _Wie_"},
      {"<\"x\">|y:", "__x___y_"},
      {"tab\there", "tab_here"},
      {"Intro. . ", "Intro"},
      {"..\\..\\Windows", ".._.._Windows"},
      {"", std::nullopt},
      {".", std::nullopt},
      {"..", std::nullopt},
      {" . . ", std::nullopt},
  };
  for (const auto& row : kRows) EXPECT_EQ(LinkFileTitle(row.title), row.name) << row.title;
}

TEST(ItemTitle, TheNameElseTheProgramsFileName) {
  EXPECT_EQ(ItemTitle("Player", "C:\\Apps\\tunOVAR.exe"), "Player");
  EXPECT_EQ(ItemTitle("", "C:\\Apps\\tunOVAR.exe"), "tunOVAR");
  EXPECT_EQ(ItemTitle("", "D:\\TUNOVAR\\intro.txt "), "intro");
  EXPECT_EQ(ItemTitle("", "##ONCD: TUNOVAR/intro.txt"), "intro");
  EXPECT_EQ(ItemTitle("", "player"), "player");
}

TEST(ItemWorkingFolder, TheFolderOfTheCommandsFile) {
  EXPECT_EQ(ItemWorkingFolder("C:\\Apps\\TUNOVAR\\TUNOVAR\\tunOVAR.exe"), "C:\\Apps\\TUNOVAR\\TUNOVAR");
  EXPECT_EQ(ItemWorkingFolder("D:\\intro.txt"), "D:\\");
  EXPECT_EQ(ItemWorkingFolder("intro.txt"), "");
}

// The links are what the DDE items would have been: the same titles in a folder of the
// group's name, the commands AddItem carries as their targets.
TEST(CreateLinkGroup, TheLinksCarryWhatTheItemsWouldHave) {
  World answered;
  answered.installer.CreateProgramGroup(kTarget);
  std::vector<std::string> expected;
  for (const std::string& command : answered.fake.shell.ddeCommands) {
    if (command.rfind("[AddItem(", 0) != 0) continue;
    const std::size_t split = command.find(", ");
    const std::string target = command.substr(9, split - 9);
    const std::string name = command.substr(split + 2, command.size() - split - 2 - 5);
    expected.push_back(answered.User() + "\\Ovri TUNOVAR\\" + name + ".lnk|" + target + "|" +
                       ItemWorkingFolder(target));
  }
  ASSERT_EQ(expected.size(), 3u);
  EXPECT_TRUE(answered.Links().empty());

  World silent;
  silent.fake.shell.ddeResult = DdeStatus::kRefused;
  silent.installer.CreateProgramGroup(kTarget);
  EXPECT_EQ(silent.Links(), expected);
  EXPECT_EQ(silent.Links(), (std::vector<std::string>{
                                silent.User() + "\\Ovri TUNOVAR\\Player.lnk|C:\\Apps\\TUNOVAR\\TUNOVAR\\tunOVAR.exe|"
                                                "C:\\Apps\\TUNOVAR\\TUNOVAR",
                                silent.User() + "\\Ovri TUNOVAR\\Read me.lnk|C:\\Apps\\TUNOVAR\\TUNOVAR\\readme.txt|"
                                                "C:\\Apps\\TUNOVAR\\TUNOVAR",
                                silent.User() + "\\Ovri TUNOVAR\\Introduction - CD.lnk|D:\\TUNOVAR\\intro.txt|D:\\TUNOVAR",
                            }));
  EXPECT_TRUE(silent.fake.fs.Has(silent.User() + "\\Ovri TUNOVAR\\Read me.lnk"));
  EXPECT_TRUE(silent.fake.console.Logged("The program group is made as shell links in " + silent.User() +
                                         "\\Ovri TUNOVAR\\"));
  EXPECT_TRUE(silent.fake.ui.messages.empty());
}

// The machine's Programs folder with administrator rights, the user's otherwise and where the
// machine's has no place for the group.
TEST(CreateLinkGroup, TheProgramsFolderOfTheRun) {
  enum class Where { kMachine, kUser, kNone };
  const struct {
    const char* name;
    bool administrator;
    bool machineFolder;   // the system has one
    bool machineWritable;
    bool userFolder;
    bool groupThere;      // the user's already holds the group's folder
    Where where;
  } kRows[] = {
      {"a user", false, true, true, true, false, Where::kUser},
      {"an administrator", true, true, true, true, false, Where::kMachine},
      {"an administrator, no machine's folder", true, false, true, true, false, Where::kUser},
      {"an administrator who may not write there", true, true, false, true, false, Where::kUser},
      {"the group's folder already there", false, true, true, true, true, Where::kUser},
      {"no Programs folder at all", false, true, true, false, false, Where::kNone},
  };
  for (const auto& row : kRows) {
    World w;
    w.fake.shell.ddeResult = DdeStatus::kRefused;
    w.fake.shell.administrator = row.administrator;
    const std::string machineGroup = w.Machine() + "\\Ovri TUNOVAR";
    const std::string userGroup = w.User() + "\\Ovri TUNOVAR";
    if (!row.machineFolder) w.fake.shell.machinePrograms.reset();
    if (!row.machineWritable) w.fake.fs.failWrites.insert(testing::FakeFileSystem::Key(machineGroup));
    if (!row.userFolder) w.fake.shell.userPrograms.reset();
    if (row.groupThere) w.fake.fs.PutFolder(userGroup);
    w.installer.CreateProgramGroup(kTarget);
    EXPECT_EQ(w.fake.fs.Has(machineGroup + "\\Player.lnk"), row.where == Where::kMachine) << row.name;
    EXPECT_EQ(w.fake.fs.Has(userGroup + "\\Player.lnk"), row.where == Where::kUser) << row.name;
    EXPECT_EQ(w.Links().size(), row.where == Where::kNone ? 0u : 3u) << row.name;
    EXPECT_EQ(w.fake.console.Logged("No Programs folder takes the program group"), row.where == Where::kNone)
        << row.name;
  }
}

// A link that cannot be written, or an item whose title names no file, leaves the others.
TEST(CreateLinkGroup, OneItemFailingLeavesTheOthers) {
  World w;
  w.fake.fs.PutFile(kGroupPath, "2\r\nG\r\nOvri TUNOVAR\r\n..\r\na.exe\r\nB\r\nb.exe\r\n..\r\na.exe\r\nB\r\nb.exe\r\n");
  w.fake.shell.ddeResult = DdeStatus::kTimedOut;
  w.installer.CreateProgramGroup(kTarget);
  EXPECT_EQ(w.Links(), std::vector<std::string>{w.User() + "\\Ovri TUNOVAR\\B.lnk|C:\\Apps\\TUNOVAR\\b.exe|"
                                                           "C:\\Apps\\TUNOVAR"});
  EXPECT_TRUE(w.fake.console.Logged("The item \"..\" names no link file: it is not made"));

  World broken;
  broken.fake.shell.ddeResult = DdeStatus::kRefused;
  broken.fake.shell.linksWork = false;
  broken.installer.CreateProgramGroup(kTarget);
  EXPECT_EQ(broken.Links().size(), 3u);
  EXPECT_TRUE(broken.fake.console.Logged("Read me.lnk to C:\\Apps\\TUNOVAR\\TUNOVAR\\readme.txt: could not be written"));
  EXPECT_TRUE(broken.fake.ui.messages.empty());
}

// The uninstallation removes the links of the installed language from both Programs
// folders, whatever Program Manager answers, and a folder only when nothing else is left in it.
TEST(DeleteLinkGroup, RemovesOnlyTheLinksItMade) {
  for (const DdeStatus answer : {DdeStatus::kDone, DdeStatus::kRefused, DdeStatus::kTimedOut}) {
    World w;
    w.fake.shell.ddeResult = answer;
    const std::string machineGroup = w.Machine() + "\\Ovri TUNOVAR\\";
    const std::string userGroup = w.User() + "\\Ovri TUNOVAR\\";
    for (const char* link : {"Player.lnk", "Read me.lnk", "Introduction - CD.lnk"}) {
      w.fake.fs.PutFile(machineGroup + link, "x");
      w.fake.fs.PutFile(userGroup + link, "x");
    }
    // The user's own link, and a link named as an item of another language.
    w.fake.fs.PutFile(userGroup + "Notes.lnk", "mine");
    w.fake.fs.PutFile(userGroup + "Spieler.lnk", "mine");
    w.installer.DeleteProgramGroup();
    EXPECT_FALSE(w.fake.fs.Has(machineGroup)) << static_cast<int>(answer);
    EXPECT_EQ(w.fake.fs.Tree(userGroup), (std::vector<std::string>{userGroup,
                                                                   userGroup + "Notes.lnk", userGroup + "Spieler.lnk"}))
        << static_cast<int>(answer);
    EXPECT_TRUE(w.fake.console.Logged("The group's folder " + userGroup + " stays: the folder is not empty"));
    EXPECT_TRUE(w.fake.fs.Has(w.Machine()));
  }
}

// Installed and removed without Program Manager: nothing of the group is left.
TEST(DeleteLinkGroup, TakesBackWhatTheInstallationMade) {
  for (const bool administrator : {false, true}) {
    World w;
    w.fake.shell.ddeResult = DdeStatus::kRefused;
    w.fake.shell.administrator = administrator;
    const std::vector<std::string> before = w.fake.fs.Tree("C:\\");
    w.installer.CreateProgramGroup(kTarget);
    ASSERT_EQ(w.Links().size(), 3u);
    EXPECT_NE(w.fake.fs.Tree("C:\\"), before);
    w.installer.DeleteProgramGroup();
    EXPECT_EQ(w.fake.fs.Tree("C:\\"), before) << administrator;
  }
}

// Without a group file the group has no name: nothing in the Programs folders is touched.
TEST(DeleteLinkGroup, NoNameTouchesNothing) {
  World w;
  (void)w.fake.fs.DeleteFile(kGroupPath);
  w.fake.fs.PutFile(w.User() + "\\Player.lnk", "x");
  const std::vector<std::string> before = w.fake.fs.Tree("C:\\");
  w.fake.fs.journal.clear();
  w.installer.DeleteProgramGroup();
  EXPECT_EQ(w.fake.fs.Tree("C:\\"), before);
  EXPECT_TRUE(std::none_of(w.fake.fs.journal.begin(), w.fake.fs.journal.end(),
                           [](const std::string& call) { return call.rfind("Delete", 0) == 0 || call.rfind("Remove", 0) == 0; }));
}

}  // namespace
}  // namespace tunovar
