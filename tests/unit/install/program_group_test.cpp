// The group file and the Program Manager commands sent for it.
#include <gtest/gtest.h>

#include "startup/installer.h"
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
            "DDE ProgMan|Progman|[CreateGroup(Ovri TUNOVAR,C:\\WINDOWS\\TUNOVAR.GRP)]|6000");
  EXPECT_TRUE(w.fake.console.Logged("DDE [ShowGroup(Ovri TUNOVAR,1)]: done"));
  // Ten rounds of events for each of the six commands.
  EXPECT_EQ(w.fake.ui.pumps, 60);
}

TEST(CreateProgramGroup, WithoutItemsOnlyTheGroupCommands) {
  World w;
  w.fake.shell.ddeResult = DdeStatus::kRefused;  // no Program Manager either: nothing shown
  w.installer.CreateProgramGroup("C:\\Apps\\TUNOVAR\\");
  const std::string create = "[CreateGroup(,C:\\WINDOWS\\.GRP)]";
  const std::string show = "[ShowGroup(,1)]";
  EXPECT_EQ(w.fake.shell.ddeCommands, (std::vector<std::string>{create, create, create, show, show, show}));
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
// reached it, none is sent; one that reached it (or may have: timed out) lets them go.
TEST(CreateProgramGroup, ItemsOnlyWhenTheGroupReachedTheShell) {
  using S = DdeStatus;
  const struct {
    std::vector<S> answers;  // CreateGroup's, then ShowGroup's (three each when refused)
    std::size_t commands;    // the two items add two commands each
    bool itemsSkipped;
  } kCases[] = {
      {{S::kRefused, S::kRefused, S::kRefused, S::kRefused, S::kRefused, S::kRefused}, 6, true},
      {{S::kNotProcessed, S::kNotProcessed}, 2, true},
      {{S::kRefused, S::kRefused, S::kRefused, S::kDone}, 8, false},
      {{S::kTimedOut, S::kNotProcessed}, 6, false},
      {{S::kDone, S::kNotProcessed}, 6, false},
  };
  for (const auto& c : kCases) {
    World w;
    w.fake.fs.PutFile(kGroupPath, kTwoLanguages);
    w.fake.shell.ddeResults.assign(c.answers.begin(), c.answers.end());
    w.fake.shell.ddeResult = S::kDone;
    w.installer.CreateProgramGroup("C:\\Apps\\TUNOVAR\\");
    EXPECT_EQ(w.fake.shell.ddeCommands.size(), c.commands) << c.answers.size() << " answers";
    EXPECT_EQ(w.fake.console.Logged("The program group was neither made nor shown: its items are not sent"),
              c.itemsSkipped)
        << c.answers.size() << " answers";
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
