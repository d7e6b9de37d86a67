// The group file and the Program Manager commands sent for it.
#include <gtest/gtest.h>

#include "install/program_group.h"
#include "installer/installer.h"
#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::Ends;

constexpr const char* kGroupPath = "D:\\TUNOVAR\\runtime\\group";

struct World : testing::InstallerOnCd {
  World() {
    installer.folders.WinDir = "C:\\WINDOWS\\";
    installer.texts.LanguageCount = 2;
  }
  std::int32_t Read() { return installer.ReadGroupFile(kGroupPath); }
};

const std::string kTwoLanguages =
    "2\r\nTUNOVAR\r\nOvri TUNOVAR\r\n"
    "### Deutsch\r\nSpieler\r\nTUNOVAR\\tunOVAR.exe\r\nEinleitung\r\n##ONCD: TUNOVAR\\intro.exe \r\n"
    "### English\r\nPlayer\r\nTUNOVAR\\tunOVAR.exe\r\nIntro\r\n  ##oncd:TUNOVAR\\intro.exe\r\n";

TEST(ReadGroupFile, FillsTheItemsOfEveryLanguage) {
  World w;
  w.fake.fs.PutFile(kGroupPath, kTwoLanguages);
  EXPECT_EQ(w.Read(), 0);
  const Installer& in = w.installer;
  EXPECT_EQ(in.group.GroupItemCount, 2);
  EXPECT_EQ(in.group.GroupFileName, "TUNOVAR");
  EXPECT_EQ(in.group.GroupName, "Ovri TUNOVAR");
  ASSERT_EQ(in.group.GroupItems.size(), 3u);
  for (const auto& row : in.group.GroupItems) ASSERT_EQ(row.size(), 3u);
  EXPECT_EQ(in.group.GroupItems[0][0].ItemName, "Spieler");
  EXPECT_EQ(in.group.GroupItems[1][0].ItemCommand, "##ONCD: TUNOVAR\\intro.exe ");
  EXPECT_EQ(in.group.GroupItems[0][1].ItemName, "Player");
  EXPECT_EQ(in.group.GroupItems[1][1].ItemName, "Intro");
  // The row and the column beyond the file stay empty.
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(in.group.GroupItems[2][static_cast<std::size_t>(k)].ItemName.empty());
    EXPECT_TRUE(in.group.GroupItems[static_cast<std::size_t>(k)][2].ItemCommand.empty());
  }
}

TEST(ReadGroupFile, EdgeCases) {
  struct Row {
    const char* name;
    const char* file;  // nullptr: no file
    std::int32_t result;
    std::int32_t count;
    const char* firstName;
  };
  const Row rows[] = {
      {"a second ### line is the name", "1\r\nG\r\nN\r\n###\r\n### odd name\r\ncmd\r\n###\r\nb\r\ncmd\r\n", 0, 1, "### odd name"},
      {"file ends before the last item", "2\r\nG\r\nN\r\na\r\ncmd\r\nb\r\ncmd\r\nc\r\ncmd\r\nd\r\n", 1, 2, "a"},
      {"count announces more than the file can hold", "999999\r\nG\r\nN\r\na\r\ncmd\r\n", 1, 999999, nullptr},
      {"no file: nothing read, no error", nullptr, 0, 0, nullptr},
      {"line 1 not a number keeps the count", "two\r\nG\r\nN\r\n", 0, 0, nullptr},
      {"negative count reads no items", "-3\r\nG\r\nN\r\n", 0, -3, nullptr},
  };
  for (const Row& r : rows) {
    World w;
    if (r.file != nullptr) w.fake.fs.PutFile(kGroupPath, r.file);
    EXPECT_EQ(w.Read(), r.result) << r.name;
    EXPECT_EQ(w.installer.group.GroupItemCount, r.count) << r.name;
    if (r.firstName != nullptr) {
      ASSERT_FALSE(w.installer.group.GroupItems.empty()) << r.name;
      EXPECT_EQ(w.installer.group.GroupItems[0][0].ItemName, r.firstName) << r.name;
    }
  }
}

TEST(CreateProgramGroup, SendsTheCommandsOfTheCurrentLanguage) {
  World w;
  w.fake.fs.PutFile(kGroupPath, kTwoLanguages);
  w.installer.texts.LangIndex = 1;
  w.installer.CreateProgramGroup("C:\\Apps\\TUNOVAR\\");
  EXPECT_EQ(w.fake.shell.ddeCommands,
            (std::vector<std::string>{
                "[CreateGroup(Ovri TUNOVAR,C:\\WINDOWS\\TUNOVAR.GRP)]",
                "[ShowGroup(Ovri TUNOVAR,1)]",
                "[ReplaceItem(Player)]",
                "[AddItem(C:\\Apps\\TUNOVAR\\TUNOVAR\\tunOVAR.exe, Player,,,)]",
                "[ReplaceItem(Intro)]",
                // The CD root is AppPath less "TUNOVAR\runtime\"; text before the marker goes.
                "[AddItem(D:\\TUNOVAR\\intro.exe, Intro,,,)]",
            }));
  EXPECT_EQ(w.installer.group.GroupItems[1][1].ItemCommand, "D:\\TUNOVAR\\intro.exe");
  EXPECT_EQ(w.installer.group.GroupItems[1][0].ItemCommand, "##ONCD: TUNOVAR\\intro.exe ");
  EXPECT_EQ(w.fake.shell.calls.front(),
            "DDE ProgMan|Progman|[CreateGroup(Ovri TUNOVAR,C:\\WINDOWS\\TUNOVAR.GRP)]|3000|6000");
  EXPECT_TRUE(w.fake.console.Logged("DDE [ShowGroup(Ovri TUNOVAR,1)]: done"));
  // Ten rounds of events for each of the six commands.
  EXPECT_EQ(w.fake.ui.pumps, 60);
}

TEST(CreateProgramGroup, WithoutItemsOnlyTheGroupCommands) {
  World w;
  w.fake.shell.ddeResult = DdeStatus::kRefused;  // no Program Manager either: nothing shown
  w.installer.CreateProgramGroup("C:\\Apps\\TUNOVAR\\");
  const std::string create = "[CreateGroup(,C:\\WINDOWS\\.GRP)]";
  // Refused three times, Program Manager is taken for absent: ShowGroup is not sent, and a
  // group without a name makes no folder of links.
  EXPECT_EQ(w.fake.shell.ddeCommands, (std::vector<std::string>{create, create, create}));
  EXPECT_TRUE(w.fake.console.Logged("DDE [ShowGroup(,1)]: not sent, Program Manager does not answer"));
  EXPECT_TRUE(w.fake.console.Logged("names no folder: no links are made"));
  EXPECT_TRUE(w.fake.ui.messages.empty());

  // No language sections (the texts are missing): a count that no item follows adds none.
  World noTexts;
  noTexts.installer.texts.LanguageCount = 0;
  noTexts.fake.fs.PutFile(kGroupPath, "5000\r\nTUNOVAR\r\nOvri TUNOVAR\r\n");
  noTexts.installer.CreateProgramGroup("C:\\Apps\\TUNOVAR\\");
  EXPECT_EQ(noTexts.fake.shell.ddeCommands,
            (std::vector<std::string>{"[CreateGroup(Ovri TUNOVAR,C:\\WINDOWS\\TUNOVAR.GRP)]",
                                      "[ShowGroup(Ovri TUNOVAR,1)]"}));
}

// Items go to the group the shell made current last: when neither CreateGroup nor ShowGroup
// reached it, none is sent. A Program Manager that refused the conversation (three times) or
// left a command unanswered gets no further command, and the group is made as shell links.
TEST(CreateProgramGroup, ItemsOnlyWhenTheGroupReachedTheShell) {
  using S = DdeStatus;
  const struct {
    const char* name;
    std::vector<S> answers;  // CreateGroup's, then ShowGroup's, then the items'
    std::size_t commands;    // the two items add two commands each
    bool itemsSkipped;
    bool links;
  } kCases[] = {
      {"refused throughout", {S::kRefused, S::kRefused, S::kRefused}, 3, false, true},
      {"not processed twice", {S::kNotProcessed, S::kNotProcessed}, 2, true, false},
      {"refused three times, then it would answer", {S::kRefused, S::kRefused, S::kRefused, S::kDone}, 3, false, true},
      {"CreateGroup unanswered", {S::kTimedOut, S::kDone}, 1, false, true},
      {"no conversation in time", {S::kConnectTimedOut, S::kDone}, 1, false, true},
      {"made, then not processed", {S::kDone, S::kNotProcessed}, 6, false, false},
      {"refused once, then answered", {S::kRefused, S::kDone}, 7, false, false},
      {"the second AddItem unanswered", {S::kDone, S::kDone, S::kDone, S::kDone, S::kDone, S::kTimedOut}, 6, false, true},
      {"ReplaceItem refused for good", {S::kDone, S::kDone, S::kRefused, S::kRefused, S::kRefused}, 5, false, true},
  };
  for (const auto& c : kCases) {
    World w;
    w.fake.fs.PutFile(kGroupPath, kTwoLanguages);
    w.fake.fs.PutFolder(*w.fake.shell.userPrograms);
    w.installer.texts.LangIndex = 1;
    w.fake.shell.ddeResults.assign(c.answers.begin(), c.answers.end());
    w.fake.shell.ddeResult = S::kDone;
    w.installer.CreateProgramGroup("C:\\Apps\\TUNOVAR\\");
    EXPECT_EQ(w.fake.shell.ddeCommands.size(), c.commands) << c.name;
    EXPECT_EQ(w.fake.console.Logged("The program group was neither made nor shown: its items are not sent"),
              c.itemsSkipped)
        << c.name;
    EXPECT_EQ(w.fake.fs.Has(*w.fake.shell.userPrograms + "\\Ovri TUNOVAR\\Player.lnk"), c.links) << c.name;
    EXPECT_EQ(w.fake.fs.Has(*w.fake.shell.userPrograms + "\\Ovri TUNOVAR\\Intro.lnk"), c.links) << c.name;
  }
}

// However many items, a Program Manager that stalls costs the run one time limit: no command
// is sent after the first unanswered one.
TEST(CreateProgramGroup, AStalledProgramManagerCostsOneTimeLimit) {
  using S = DdeStatus;
  const struct {
    const char* name;
    S answer;
    std::uint32_t ms;   // on the fake clock: the limits, and the pauses between refusals
    std::size_t calls;  // of DdeExecute, all of them CreateGroup
  } kCases[] = {
      {"commands unanswered", S::kTimedOut, kDdeCommandLimitMs, 1},
      {"no conversation in time", S::kConnectTimedOut, kDdeConnectLimitMs, 1},
      {"refused", S::kRefused, 2 * 250, 3},
  };
  std::string fiveItems = "5\r\nTUNOVAR\r\nOvri TUNOVAR\r\n";
  for (int language = 0; language < 2; ++language) {
    for (int i = 0; i < 5; ++i) fiveItems += "Item" + std::to_string(i) + "\r\nx.exe\r\n";
  }
  for (const auto& c : kCases) {
    World w;
    w.fake.fs.PutFile(kGroupPath, fiveItems);
    w.fake.shell.ddeResult = c.answer;
    const std::uint32_t start = w.fake.clock.now;
    w.installer.CreateProgramGroup("C:\\Apps\\TUNOVAR\\");
    EXPECT_EQ(w.fake.clock.now - start, c.ms) << c.name;
    EXPECT_EQ(w.fake.shell.ddeCommands,
              std::vector<std::string>(c.calls, "[CreateGroup(Ovri TUNOVAR,C:\\WINDOWS\\TUNOVAR.GRP)]"))
        << c.name;
    EXPECT_TRUE(w.installer.group.ProgramManagerSilent) << c.name;
  }
}

// Only a refused conversation is asked for again (it carried no command), after a pause, at
// most three times; an answer of any other kind ends the command.
TEST(PerformDDE, AsksAgainOnlyForARefusedConversation) {
  using S = DdeStatus;
  const struct {
    std::vector<S> answers;
    std::size_t calls;
    const char* logged;
  } kCases[] = {
      {{S::kRefused, S::kDone}, 2, "done"},
      {{S::kRefused, S::kRefused, S::kDone}, 3, "done"},
      {{S::kRefused, S::kRefused, S::kRefused, S::kDone}, 3, "no conversation"},
      {{S::kRefused, S::kTimedOut, S::kDone}, 2, "timed out"},
      {{S::kTimedOut, S::kDone}, 1, "timed out"},
      {{S::kNotProcessed, S::kDone}, 1, "not processed"},
      // A window that held the request up would hold it again.
      {{S::kConnectTimedOut, S::kDone}, 1, "no conversation in time"},
  };
  for (const auto& c : kCases) {
    World w;
    w.fake.shell.ddeResults.assign(c.answers.begin(), c.answers.end());
    w.installer.group.DDECommand = "[ShowGroup(G,1)]";
    w.installer.PerformDDE();
    EXPECT_EQ(w.fake.shell.ddeCommands.size(), c.calls) << c.logged;
    EXPECT_EQ(w.fake.clock.sleeps, std::vector<std::uint32_t>(c.calls - 1, 250)) << c.logged;
    EXPECT_TRUE(w.fake.console.Logged(std::string("DDE [ShowGroup(G,1)]: ") + c.logged)) << c.logged;
  }
}

TEST(CreateProgramGroup, CorruptedGroupFileEndsTheProgram) {
  World w;
  w.fake.fs.PutFile(kGroupPath, "3\r\nG\r\nN\r\na\r\ncmd\r\n");
  EXPECT_EQ(Ends([&] { w.installer.CreateProgramGroup("C:\\T\\"); }), kExitFatalFile);
  EXPECT_EQ(w.installer.report.ErrorCode, 1);
  ASSERT_EQ(w.fake.ui.messages.size(), 1u);
  EXPECT_EQ(w.fake.ui.messages[0].title, "Error");
  EXPECT_EQ(w.fake.ui.messages[0].text, "File \"group\" is corrupted");
  EXPECT_TRUE(w.fake.shell.ddeCommands.empty());
}

TEST(DeleteProgramGroup, DeletesTheGroupNamedInTheFile) {
  World w;
  w.fake.fs.PutFile(kGroupPath, kTwoLanguages);
  w.installer.DeleteProgramGroup();
  EXPECT_EQ(w.fake.shell.ddeCommands, std::vector<std::string>{"[DeleteGroup(Ovri TUNOVAR)]"});

  World missing;
  missing.installer.DeleteProgramGroup();
  EXPECT_EQ(missing.fake.shell.ddeCommands, std::vector<std::string>{"[DeleteGroup()]"});
}

}  // namespace
}  // namespace tunovar
