// The uninstall sequence on the fake platform: an installed tree built by hand, run end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "formats/removal_list.h"
#include "installer/installer.h"
#include "base/path_list_text.h"
#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::CrLfLines;
using testing::FakeFileSystem;
using testing::FakePlatform;
using testing::FakeShell;
using testing::InstallerTextFile;
using testing::TextSection;

const std::string kTarget = "C:\\Apps\\TUNOVAR\\";  // the folder chosen when installing
const std::string kDir = kTarget + "TUNOVAR";       // InstallDir
const std::string kApp = kDir + "\\runtime\\";      // AppPath
const std::string kBatch = kApp + "deinst.bat";
const std::string kList = kApp + "defile";
// The running uninstaller, which every list names, goes with the batch.
// The running uninstaller's own waiting block.
const std::string kOwnLine = "echo off\r\n:u\r\ndel " + kApp + "deinstal.exe\r\nif exist " + kApp + "deinstal.exe goto u\r\n";
const std::string kLastLine =
    "del deinst.pif | del deinst.bat | cd .. | rd runtime | cd.. | rd TUNOVAR | cd.. | rd TUNOVAR"
    " | cd.. | rd Apps";

// Three sections; section j says "Remove j?" (slot 12) and "Bye j" (slot 11).
std::string InstText() {
  std::vector<TextSection> sections;
  for (int j = 0; j < 3; ++j) {
    const std::string n = std::to_string(j);
    sections.push_back({"Lang " + n, "Caption", "Info", "Path", "C:\\Programme\\TUNOVAR\\",
                        "Install", "Cancel", "Start?", "x", "x", "Bye " + n, "Remove " + n + "?",
                        "10", "No space", "CDDB", "5"});
  }
  return InstallerTextFile(sections);
}

std::string GroupFile() {
  std::string s = "1\r\ntunovar\r\nOvri TUNOVAR\r\n";
  for (int j = 0; j < 3; ++j) s += "###\r\nPlayer\r\ntuno.exe\r\n";
  return s;
}

// The removal list of an installation with three folders and five program files, written
// as the installation writes it: language, two fixed files, files and folders from the last
// placed to the first, then the "#" folders.
std::vector<std::string> StandardEntries() {
  return {kDir + "\\tunodoc.gid",
          kDir + "\\burn.lst",
          kApp + "group",
          kApp + "insttext",
          kApp + "MSVBVM50.DLL",
          kApp + "deinstal.exe",
          kDir + "\\data\\songs.db",
          kDir + "\\tuno.exe",
          kDir + "\\data\\",
          kApp,
          kDir + "\\",
          "#" + kDir + "\\data\\",
          "#" + kApp,
          "#" + kDir + "\\"};
}

// The seven blocks with "install.exe", "asycfilt.dll" and the three files of InstallDir
// missing, "defile" and "MSVBVM50.DLL" present.
std::string FixedBlocks() {
  return "echo off\r\n:d\r\ndel \r\nif exist  goto d\r\n"
         "echo off\r\n:e\r\ndel " +
         kList + "\r\nif exist " + kList +
         " goto e\r\n"
         "echo off\r\n:f\r\ndel " +
         kApp + "MSVBVM50.DLL\r\nif exist " + kApp +
         "MSVBVM50.DLL goto f\r\n"
         "echo off\r\n:h\r\ndel \r\nif exist  goto h\r\n"
         "echo off\r\n:k\r\ndel \r\nif exist  goto k\r\n"
         "echo off\r\n:n\r\ndel \r\nif exist  goto n\r\n"
         "echo off\r\n:l\r\ndel \r\nif exist  goto l\r\n";
}

struct World {
  FakePlatform fake;
  FakeFileSystem& fs = fake.fs;
  FakeShell& shell = fake.shell;
  std::string exeFolder = kDir + "\\runtime";
  std::string exeName = "deinstal";
  std::string arguments;
  std::unique_ptr<Installer> installer;

  World() {
    fs.PutFile("C:\\WINDOWS\\ovrituno.inf", "\"" + kTarget + "tunovar\\\"\r\n");
    fs.PutFile(kDir + "\\tunodoc.gid", "gid");
    fs.Find(kDir + "\\tunodoc.gid")->readOnly = true;
    fs.PutFile(kDir + "\\tuno.exe", "exe");
    fs.PutFile(kDir + "\\data\\songs.db", "db");
    fs.PutFile(kApp + "deinstal.exe", "me");
    // WaitKill retries a held file without sleeping: each reading stands for one attempt.
    fake.clock.msPerReading = 1;
    fs.PutFile(kApp + "MSVBVM50.DLL", "vb");
    fs.PutFile(kApp + "insttext", InstText());
    fs.PutFile(kApp + "group", GroupFile());
    fs.PutFile(kApp + "deinst.pif", "pif");
    fs.PutFile(kTarget + "mine.txt", "the user's own file beside the product");
    fs.PutFile("C:\\x", "outside");
    fs.PutFile("C:\\WINDOWS\\system32\\y", "system");
    WriteList(" 1 ", StandardEntries(), false);
    shell.registered = true;
  }

  // The list with the entries, then (unless told otherwise) the runtime folder's own files
  // that every installation lists.
  void WriteList(const std::string& language, const std::vector<std::string>& entries, bool runtimeFiles = true) {
    std::vector<std::string> lines{language};
    lines.insert(lines.end(), entries.begin(), entries.end());
    if (runtimeFiles) {
      for (const char* name : {"group", "insttext", "MSVBVM50.DLL", "deinstal.exe"}) lines.push_back(kApp + name);
    }
    fs.PutFile(kList, CrLfLines(lines));
  }

  // Starts the program and delivers the first tick, as the view does; the exit code.
  int Run() {
    installer =
        std::make_unique<Installer>(fake.platform, LaunchInfo{exeFolder, exeName}, ParseSwitches(arguments));
    if (!installer->Start()) return installer->ExitCodeOfRun();
    installer->Deliver(Ctl::Timer1, Event::kTimer);
    EXPECT_TRUE(installer->Ended());
    return installer->ExitCodeOfRun();
  }

  [[nodiscard]] std::size_t CallIndex(const std::string& prefix) const {
    const auto it = std::find_if(shell.calls.begin(), shell.calls.end(),
                                 [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    return static_cast<std::size_t>(it - shell.calls.begin());
  }
  [[nodiscard]] std::size_t JournalIndex(const std::string& line) const {
    return static_cast<std::size_t>(std::find(fs.journal.begin(), fs.journal.end(), line) - fs.journal.begin());
  }
  [[nodiscard]] bool Journaled(const std::string& line) const {
    return std::find(fs.journal.begin(), fs.journal.end(), line) != fs.journal.end();
  }
};

TEST(RunUninstall, RemovesTheInstallationAndLeavesTheRestToTheBatch) {
  World w;
  w.fs.Find(kApp + "deinstal.exe")->locked = true;  // the running uninstaller
  w.shell.shortNames[UCase(kApp + "deinstal.exe")] =
      "C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME\\DEINST~1.EXE";
  w.shell.shortNames[UCase(kDir + "\\runtime")] = "C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME";
  std::string batchWhenStarted;
  bool listHeldWhenStarted = false;
  w.shell.onOpen = [&](const std::string&) {
    batchWhenStarted = w.fs.Content(kBatch);
    listHeldWhenStarted = w.fs.held.count(FakeFileSystem::Key(kList)) != 0;
    return 42;
  };
  std::size_t callsAtClosingMessage = 0;
  w.fake.ui.onMessage = [&](const testing::ShownMessage&) {
    callsAtClosingMessage = w.shell.calls.size();
  };

  EXPECT_EQ(w.Run(), kExitDone);

  const std::string expectedBatch = FixedBlocks() +
                                    "echo off\r\n:u\r\ndel C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME\\DEINST~1.EXE\r\n"
                                    "if exist C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME\\DEINST~1.EXE goto u\r\n"
                                    "rd C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME\r\n"
                                    "rd C:\\Apps\\TUNOVAR\\TUNOVAR\r\n" +
                                    kLastLine;
  EXPECT_EQ(w.fs.Content(kBatch), expectedBatch);
  // Started once, hidden, from the runtime folder, complete, with the list still held.
  EXPECT_EQ(w.shell.opened, std::vector<std::string>{kApp + "deinst.pif"});
  EXPECT_EQ(w.shell.calls.back(), "Open " + kApp + "deinst.pif||" + kDir + "\\runtime|0");
  EXPECT_EQ(batchWhenStarted, expectedBatch);
  EXPECT_TRUE(listHeldWhenStarted);
  EXPECT_EQ(w.fs.held.count(FakeFileSystem::Key(kList)), 1u);  // held until the program ends

  EXPECT_EQ(
      w.fs.Tree("C:\\Apps"),
      (std::vector<std::string>{"C:\\Apps\\", "C:\\Apps\\TUNOVAR\\", "C:\\Apps\\TUNOVAR\\TUNOVAR\\",
                                "C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\\", kList, kBatch,
                                kApp + "deinst.pif", kApp + "deinstal.exe", kTarget + "mine.txt"}));
  EXPECT_FALSE(w.fs.Has("C:\\WINDOWS\\ovrituno.inf"));
  EXPECT_EQ(w.shell.ddeCommands, std::vector<std::string>{"[DeleteGroup(Ovri TUNOVAR)]"});
  EXPECT_FALSE(w.shell.registered);

  // The order of the sequence: the question and the closing message in the recorded
  // language, between them the help index, the group, the list's entries, the uninstaller's
  // own files, the entry and the Windows-folder record once nothing stays, then the batch,
  // started last, before the closing message says it runs.
  ASSERT_EQ(w.fake.ui.messages.size(), 2u);
  EXPECT_EQ(w.fake.ui.messages[0].title, "Ovri TUNOVAR Deinstallation");
  EXPECT_EQ(w.fake.ui.messages[0].text, "Remove 1?");
  EXPECT_EQ(w.fake.ui.messages[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(w.fake.ui.messages[1].title, "Ovri TUNOVAR Deinstallation");
  EXPECT_EQ(w.fake.ui.messages[1].text, "Bye 1");
  EXPECT_EQ(w.fake.ui.messages[1].buttons, MessageButtons::kOk);
  EXPECT_EQ(callsAtClosingMessage, w.shell.calls.size());
  ASSERT_FALSE(w.fs.journal.empty());
  EXPECT_EQ(w.fs.journal[0], "Delete " + kDir + "\\tunodoc.gid");
  EXPECT_LT(w.JournalIndex("Delete " + kDir + "\\tuno.exe"), w.JournalIndex("Delete " + kApp + "group"));
  EXPECT_LT(w.JournalIndex("Delete " + kApp + "insttext"), w.JournalIndex("Delete C:\\WINDOWS\\ovrituno.inf"));
  EXPECT_EQ(w.JournalIndex("Delete C:\\WINDOWS\\ovrituno.inf") + 1, w.JournalIndex("Write " + kBatch));
  EXPECT_LT(w.CallIndex("DDE "), w.CallIndex("Unregister"));
  EXPECT_LT(w.CallIndex("Unregister"), w.CallIndex("Open "));
  EXPECT_TRUE(w.fake.console.Logged("Deleted " + kDir + "\\tuno.exe"));
  EXPECT_TRUE(w.fake.console.Logged("Batch: rd C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME"));
  // A step that failed says why.
  EXPECT_TRUE(w.fake.console.Logged("Could not remove folder " + kApp + ": the folder is not empty"));
}

TEST(RunUninstall, TheRunningUninstallerIsLeftToTheBatchEvenWhereItCouldBeDeleted) {
  World w;
  w.fs.Find(kApp + "deinstal.exe")->locked = false;  // as on Linux, where a running program can go
  EXPECT_EQ(w.Run(), kExitDone);
  EXPECT_TRUE(w.fs.Has(kApp + "deinstal.exe"));
  EXPECT_FALSE(w.Journaled("Delete " + kApp + "deinstal.exe"));
  EXPECT_NE(w.fs.Content(kBatch).find("\r\ndel " + kApp + "deinstal.exe\r\n"), std::string::npos);
  EXPECT_FALSE(w.fs.Has(kApp + "insttext"));
}

TEST(RunUninstall, NoChangesNothing) {
  World w;
  w.fake.ui.answers.push_back(MessageAnswer::kNo);
  const auto treeBefore = w.fs.Tree();
  EXPECT_EQ(w.Run(), kExitDeclined);
  EXPECT_EQ(w.fs.Tree(), treeBefore);
  EXPECT_TRUE(w.fs.journal.empty());
  EXPECT_TRUE(w.shell.ddeCommands.empty());
  EXPECT_TRUE(w.shell.registered);
  EXPECT_EQ(w.CallIndex("Unregister"), w.shell.calls.size());
  EXPECT_TRUE(w.shell.opened.empty());
  EXPECT_EQ(w.fake.ui.messages.size(), 1u);
}

TEST(RunUninstall, SilentRunsAnswerYesWithoutABox) {
  struct Row {
    const char* name;
    const char* exe;
    const char* args;
  };
  const Row rows[] = {{"deinstal /S", "deinstal", "/S"}, {"install d /S", "install", "d /S"}};
  for (const Row& r : rows) {
    World w;
    w.exeName = r.exe;
    w.arguments = r.args;
    EXPECT_EQ(w.Run(), kExitDone) << r.name;
    EXPECT_TRUE(w.fake.ui.messages.empty()) << r.name;
    ASSERT_EQ(w.fake.console.errors.size(), 2u) << r.name;
    EXPECT_EQ(w.fake.console.errors[0], "Ovri TUNOVAR Deinstallation: Remove 1?") << r.name;
    EXPECT_EQ(w.fake.console.errors[1], "Ovri TUNOVAR Deinstallation: Bye 1") << r.name;
    EXPECT_FALSE(w.fs.Has(kDir + "\\tuno.exe")) << r.name;
    EXPECT_EQ(w.shell.opened.size(), 1u) << r.name;
  }
}

TEST(RunUninstall, AnInterruptBetweenTwoEntriesEndsAsCancelledAndARerunFinishes) {
  World w;
  w.arguments = "/S";
  // The pauses of the group's deletion come first; then one before each entry.
  int entryPauses = 0;
  w.fake.ui.onPump = [&] {
    if (w.shell.ddeCommands.empty() || ++entryPauses != 3) return;
    w.installer->Interrupt("SIGTERM");
  };
  EXPECT_EQ(w.Run(), kExitCancelled);
  ASSERT_FALSE(w.fake.console.errors.empty());
  EXPECT_EQ(w.fake.console.errors.back(),
            "The uninstall was cancelled (by SIGTERM) before it was finished: run the uninstaller again to remove the rest.");
  EXPECT_TRUE(w.fs.Has(kApp + "insttext"));  // the fourth entry
  EXPECT_TRUE(w.fs.Has(kDir + "\\tuno.exe"));
  EXPECT_TRUE(w.fs.Has(kList));
  EXPECT_TRUE(w.shell.opened.empty());  // the batch is not started
  w.fake.ui.onPump = nullptr;
  EXPECT_EQ(w.Run(), kExitDone);
  EXPECT_FALSE(w.fs.Has(kDir + "\\tuno.exe"));
  EXPECT_EQ(w.shell.opened.size(), 1u);
}

TEST(RunUninstall, ListWithOnlyTheLanguageGivesTheFixedBlocksAndTheLastLineButNoClaimOfRemoval) {
  // As the list of an installation whose disk filled while it was written: what it does not
  // name stays, and the closing message says so instead of "removed".
  World w;
  w.WriteList(" 0 ", {}, false);
  EXPECT_EQ(w.Run(), kExitIncomplete);
  EXPECT_EQ(w.fs.Content(kBatch), FixedBlocks() + kLastLine);
  EXPECT_EQ(w.fake.ui.messages.back().text,
            "TUNOVAR could not be removed completely. These files stay:\r\n" + kApp + "deinstal.exe\r\n" + kApp +
                "group\r\n" + kApp + "insttext\r\n" + kDir + "\\tuno.exe");
  EXPECT_TRUE(w.fake.console.Logged("Stays: " + kDir + "\\tuno.exe"));
}

TEST(RunUninstall, TheInstalledUninstallerWithoutItsListClaimsNoRemoval) {
  World w;
  ASSERT_EQ(w.fs.DeleteFile(kList), FsStatus::kOk);
  EXPECT_EQ(w.Run(), kExitIncomplete);
  EXPECT_EQ(w.fake.ui.messages.back().text, "TUNOVAR could not be removed completely: the removal list " + kList +
                                                 " is missing, so no installed file was removed.");
  EXPECT_TRUE(w.fs.Has(kDir + "\\tuno.exe"));
}

TEST(RunUninstall, TheLastLineIsJoinedSoThatTheSystemsInterpreterRunsItInOrder) {
  for (const bool pipesInOrder : {true, false}) {
    World w;
    w.shell.dosBased = pipesInOrder;
    w.WriteList(" 0 ", {kDir + "\\tuno.exe", kDir + "\\data\\songs.db"});
    EXPECT_EQ(w.Run(), kExitDone);
    EXPECT_EQ(w.fs.Content(kBatch),
              FixedBlocks() + kOwnLine + (pipesInOrder ? kLastLine
                                            : "del deinst.pif & del deinst.bat & cd .. & rd runtime & cd.. & "
                                              "rd TUNOVAR & cd.. & rd TUNOVAR & cd.. & rd Apps"));
  }
}

TEST(RunUninstall, AnEntryTooLongForTheSystemsFileFunctionsIsNamedAsStaying) {
  World w;
  const std::string longest = kDir + "\\" + std::string(259 - kDir.size() - 1, 'x');
  const std::string tooLong = longest + "y";
  w.fs.PutFile(longest, "placed");
  w.fs.PutFile(tooLong, "placed");
  w.WriteList(" 0 ", {longest, tooLong});
  EXPECT_EQ(w.Run(), kExitIncomplete);
  EXPECT_FALSE(w.fs.Has(longest));
  EXPECT_TRUE(w.fs.Has(tooLong));
  const std::string& closing = w.fake.ui.messages.back().text;
  EXPECT_TRUE(closing.starts_with("TUNOVAR could not be removed completely. These files stay:")) << closing;
  EXPECT_NE(closing.find(tooLong), std::string::npos) << closing;
}

TEST(RunUninstall, WithoutItsTextsItAsksAndSaysInEnglishOrFindsNoInstallation) {
  for (const bool listHere : {true, false}) {
    World w;
    ASSERT_EQ(w.fs.DeleteFile(kApp + "insttext"), FsStatus::kOk);
    if (!listHere) {
      ASSERT_EQ(w.fs.DeleteFile(kList), FsStatus::kOk);
    }
    const int code = w.Run();
    ASSERT_FALSE(w.fake.ui.messages.empty());
    if (listHere) {
      EXPECT_EQ(code, kExitDone);
      EXPECT_EQ(w.fake.ui.messages.front().text,
                "Do you want to remove TUNOVAR and all of its components from your computer?");
      EXPECT_EQ(w.fake.ui.messages.back().text, "TUNOVAR has been removed from your computer.");
      EXPECT_FALSE(w.fs.Has(kDir + "\\tuno.exe"));
    } else {
      // Nothing to remove here, and nothing is changed.
      EXPECT_EQ(code, kExitFatalFile);
      ASSERT_EQ(w.fake.ui.messages.size(), 1u);
      EXPECT_TRUE(w.fake.ui.messages[0].text.starts_with("No installation of TUNOVAR was found in " + kApp))
          << w.fake.ui.messages[0].text;
      EXPECT_TRUE(w.fs.Has("C:\\WINDOWS\\ovrituno.inf"));
      EXPECT_TRUE(w.fs.Has(kDir + "\\tuno.exe"));
    }
  }
}

TEST(RunUninstall, NoWaitingBlockOfTheBatchWaitsForAFileItCanNeverDelete) {
  World w;
  w.fs.Find(kList)->readOnly = true;
  w.fs.PutFolder(kApp + "asycfilt.dll");  // a folder where block h waits for a file
  EXPECT_EQ(w.Run(), kExitIncomplete);
  EXPECT_FALSE(w.fs.Find(kList)->readOnly);  // the batch's "del" can delete it
  const std::string batch = w.fs.Content(kBatch);
  EXPECT_NE(batch.find("echo off\r\n:h\r\ndel \r\nif exist  goto h\r\n"), std::string::npos) << batch;
  EXPECT_NE(w.fake.ui.messages.back().text.find(kApp + "asycfilt.dll"), std::string::npos)
      << w.fake.ui.messages.back().text;
}

TEST(RunUninstall, BatchFilesOfTheRuntimeFolderAreNeverTouched) {
  World w;
  w.fs.PutFile(kBatch, "old batch");
  w.WriteList(" 0 ", {kApp + "DEINST.PIF", kDir + "\\Runtime\\Deinst.Bat", kDir + "\\tuno.exe"});
  EXPECT_EQ(w.Run(), kExitDone);
  EXPECT_TRUE(w.fs.Has(kApp + "deinst.pif"));
  EXPECT_FALSE(w.Journaled("Delete " + kApp + "DEINST.PIF"));
  EXPECT_FALSE(w.Journaled("Delete " + kDir + "\\Runtime\\Deinst.Bat"));
  EXPECT_EQ(w.fs.Content(kBatch), FixedBlocks() + kOwnLine + kLastLine);
}

TEST(RunUninstall, HeldFilesStayWithTheRecordsUntilARerunCanRemoveThem) {
  World w;
  const std::vector<std::string> names = {"a, b.txt", "R&B (live).mp3", "100% pure.ini"};
  std::vector<std::string> entries;
  for (const std::string& n : names) {
    w.fs.PutFile(kDir + "\\" + n, "held");
    w.fs.Find(kDir + "\\" + n)->locked = true;
    entries.push_back(kDir + "\\" + n);
  }
  w.fs.PutFile(kDir + "\\hidden.dat", "hidden");
  w.fs.Find(kDir + "\\hidden.dat")->hidden = true;
  entries.insert(entries.end(), {kDir + "\\hidden.dat", kDir + "\\tuno.exe", kDir + "\\data\\songs.db",
                                 "#" + kDir + "\\data\\"});
  w.WriteList(" 0 ", entries);

  EXPECT_EQ(w.Run(), kExitIncomplete);
  const std::string& closing = w.fake.ui.messages.back().text;
  for (const std::string& n : names) EXPECT_NE(closing.find(kDir + "\\" + n), std::string::npos) << closing;
  EXPECT_TRUE(closing.ends_with("The uninstaller and its removal list stay, so that the uninstall can be run "
                                "again once these files can be removed."))
      << closing;
  // What a later uninstall needs stays; the rest is gone, a hidden file as any other.
  for (const std::string& kept : {kList, kApp + "deinstal.exe", kApp + "insttext", kApp + "group",
                                  std::string("C:\\WINDOWS\\ovrituno.inf")}) {
    EXPECT_TRUE(w.fs.Has(kept)) << kept;
  }
  EXPECT_TRUE(w.shell.registered);
  for (const char* gone : {"\\hidden.dat", "\\tuno.exe", "\\data\\"}) EXPECT_FALSE(w.fs.Has(kDir + gone)) << gone;
  // The batch neither waits for the list nor deletes the uninstaller.
  std::string blocks = FixedBlocks();
  blocks.replace(blocks.find("del " + kList), 4 + kList.size(), "del ");
  blocks.replace(blocks.find("if exist " + kList), 9 + kList.size(), "if exist ");
  EXPECT_EQ(w.fs.Content(kBatch), blocks + kLastLine);

  for (const std::string& n : names) w.fs.Find(kDir + "\\" + n)->locked = false;
  EXPECT_EQ(w.Run(), kExitDone);
  for (const std::string& n : names) EXPECT_FALSE(w.fs.Has(kDir + "\\" + n)) << n;
  EXPECT_FALSE(w.fs.Has("C:\\WINDOWS\\ovrituno.inf"));
  EXPECT_FALSE(w.shell.registered);
  const std::string batch = w.fs.Content(kBatch);
  EXPECT_NE(batch.find("del " + kList + "\r\n"), std::string::npos) << batch;
  EXPECT_TRUE(batch.ends_with(kOwnLine + kLastLine)) << batch;
}

TEST(RunUninstall, TheRecordedLanguageChoosesTheQuestionAndTheClosingMessage) {
  struct Row {
    const char* name;
    const char* line;
    const char* question;
    std::vector<std::string> closing;
  };
  const Row rows[] = {
      {"section 2", " 2 ", "Remove 2?", {"Bye 2"}},
      {"not a number keeps section 0", "two", "Remove 0?", {"Bye 0"}},
      {"an empty section gives an empty text; the question is asked in section 0", " 20 ", "Remove 0?", {""}},
      {"outside the table: no closing message", " 21 ", "Remove 0?", {}},
      {"negative: no closing message", " -1 ", "Remove 0?", {}},
      {"far outside: no closing message", " 2147483647 ", "Remove 0?", {}},
  };
  for (const Row& r : rows) {
    World w;
    w.WriteList(r.line, {kDir + "\\tuno.exe"});
    EXPECT_EQ(w.Run(), kExitDone) << r.name;
    std::vector<std::string> shown;
    for (std::size_t i = 1; i < w.fake.ui.messages.size(); ++i)
      shown.push_back(w.fake.ui.messages[i].text);
    EXPECT_EQ(shown, r.closing) << r.name;
    EXPECT_EQ(w.fake.ui.messages.front().text, r.question) << r.name;
    EXPECT_FALSE(w.fs.Has(kDir + "\\tuno.exe")) << r.name;
    EXPECT_EQ(w.shell.opened.size(), 1u) << r.name;
  }
}

TEST(RunUninstall, EntriesOutsideTheInstallationArePassedOver) {
  World w;
  const std::vector<std::string> outside = {
      "..\\..\\x",
      kApp + "..\\..\\..\\x",
      kDir + "\\data\\...\\x",
      kTarget + "TUNOVAR/../../x",
      "C:\\WINDOWS\\system32\\y",
      "#C:\\WINDOWS\\system32\\",
      "#" + kApp + "..\\..\\..\\",
      "C:\\Apps\\TUNOVARX\\x",
      kTarget,
      "\\\\server\\share\\x",
  };
  std::vector<std::string> entries = outside;
  entries.push_back(kDir + "\\tuno.exe");
  w.fs.PutFile("C:\\Apps\\TUNOVARX\\x", "a neighbour");
  w.WriteList(" 0 ", entries);
  const auto outsideBefore = w.fs.Tree("C:\\WINDOWS\\system32");

  EXPECT_EQ(w.Run(), kExitIncomplete);
  EXPECT_EQ(w.installer->report.PassedOverEntries, outside);
  EXPECT_TRUE(w.fs.Has("C:\\x"));
  EXPECT_TRUE(w.fs.Has("C:\\Apps\\TUNOVARX\\x"));
  EXPECT_EQ(w.fs.Tree("C:\\WINDOWS\\system32"), outsideBefore);
  EXPECT_FALSE(w.fs.Has(kDir + "\\tuno.exe"));
  for (const std::string& line : w.fs.journal) {
    EXPECT_TRUE(line.find("C:\\Apps\\TUNOVAR\\TUNOVAR") != std::string::npos ||
                line == "Delete C:\\WINDOWS\\ovrituno.inf")
        << line;
  }
  EXPECT_EQ(w.fs.Content(kBatch), FixedBlocks() + kOwnLine + kLastLine);
  EXPECT_TRUE(
      w.fake.console.Logged("Passed over, outside the installation: C:\\WINDOWS\\system32\\y"));
  // Nothing of the product stays, and the closing message names what was left untouched.
  EXPECT_FALSE(w.fs.Has("C:\\WINDOWS\\ovrituno.inf"));
  EXPECT_EQ(w.fake.ui.messages.back().text,
            "Bye 0\r\n\r\n" + PathListText("These entries of the removal list lie outside the installation and "
                                             "were left untouched:",
                                             outside));
}

TEST(RunUninstall, EntriesInTheShortFormOfTheTargetCountAsInside) {
  World w;
  w.shell.shortNames[UCase(kTarget)] = "C:\\APPS\\TUNOVA~1\\";
  w.WriteList(" 0 ",
              {"C:\\APPS\\TUNOVA~1\\TUNOVAR\\gone.txt", "c:\\apps\\tunovar\\TUNOVAR\\TUNO.EXE"});
  EXPECT_EQ(w.Run(), kExitDone);
  EXPECT_TRUE(w.installer->report.PassedOverEntries.empty());
  EXPECT_FALSE(w.fs.Has(kDir + "\\tuno.exe"));
}

TEST(RunUninstall, AnEntryInsideOnlyByItsLongFormCountsAsInside) {
  World w;
  w.shell.longNames["C:\\PROGRA~1\\OLD.TXT"] = kDir + "\\old.txt";
  w.WriteList(" 0 ", {"C:\\PROGRA~1\\old.txt", "C:\\PROGRA~1\\other.txt"});
  EXPECT_EQ(w.Run(), kExitIncomplete);
  EXPECT_EQ(w.installer->report.PassedOverEntries, std::vector<std::string>{"C:\\PROGRA~1\\other.txt"});
}

TEST(RunUninstall, TheProductWindowIsClosedBeforeAnyListedFileIsTouched) {
  // A shell whose product window holds tuno.exe open until it has handled WM_CLOSE.
  struct ProductShell : FakeShell {
    FakeFileSystem* files = nullptr;
    std::vector<std::string> journalAtClose;
    void SendClose(WindowRef window) override {
      if (journalAtClose.empty()) journalAtClose = files->journal;
      files->Find(kDir + "\\tuno.exe")->locked = false;
      FakeShell::SendClose(window);
    }
  };
  World w;
  ProductShell shell;
  shell.fs = &w.fs;
  shell.files = &w.fs;
  shell.windows["window 0|Ovri TUNOVAR"] = 2;
  w.fs.Find(kDir + "\\tuno.exe")->locked = true;
  Platform platform{w.fs, shell, w.fake.ui, w.fake.console, w.fake.clock};
  Installer installer(platform, LaunchInfo{w.exeFolder, "deinstal"});
  ASSERT_TRUE(installer.Start());
  installer.Deliver(Ctl::Timer1, Event::kTimer);
  EXPECT_EQ(installer.ExitCodeOfRun(), kExitDone);

  EXPECT_EQ(shell.journalAtClose, std::vector<std::string>{"Delete " + kDir + "\\tunodoc.gid"});
  EXPECT_EQ(std::count(shell.calls.begin(), shell.calls.end(), "SendClose"), 2);
  EXPECT_FALSE(w.fs.Has(kDir + "\\tuno.exe"));
  EXPECT_EQ(w.fs.Content(kBatch).find("tuno.exe"), std::string::npos);
}

TEST(CloseWindowByTitle, AtMostTenRequestsThenOneLook) {
  struct Row {
    const char* name;
    int closesAfter;
    int sends;
    bool stillThere;
  };
  const Row rows[] = {
      {"no window", 0, 0, false},
      {"closes after three", 3, 3, false},
      {"never closes", -1, 10, true},
  };
  for (const Row& r : rows) {
    FakePlatform fake;
    if (r.closesAfter != 0) fake.shell.windows["window 0|Ovri TUNOVAR"] = r.closesAfter;
    Installer installer(fake.platform, LaunchInfo{kDir + "\\runtime", "deinstal"});
    EXPECT_EQ(installer.CloseWindowByTitle("window 0", "Ovri TUNOVAR"), r.stillThere) << r.name;
    std::vector<std::string> expected;
    for (int i = 0; i < r.sends; ++i) {
      expected.insert(expected.end(),
                      {"FindWindow window 0|Ovri TUNOVAR", "SendClose", "Sleep 100"});
    }
    if (r.sends < 10)
      expected.push_back("FindWindow window 0|Ovri TUNOVAR");  // the one that stopped
    expected.push_back("FindWindow window 0|Ovri TUNOVAR");    // the one that decides
    EXPECT_EQ(fake.shell.calls, expected) << r.name;
  }
}

TEST(RunUninstall, TheBatchRunsThroughItsPifOnlyOnDosBasedWindowsAndAFailedStartIsSaid) {
  const std::string folder = kDir + "\\runtime";
  const std::string pif = "Open " + kApp + "deinst.pif||" + folder + "|0";
  const std::string direct = "StartBatch deinst.bat|" + folder;
  struct Row {
    const char* name;
    bool dosBased;
    int pifResult;
    bool batchStarts;
    std::vector<std::string> starts;  // the shell's calls that start something, in order
  };
  const Row rows[] = {
      {"DOS-based, the PIF runs it", true, 42, true, {pif}},
      {"DOS-based, no DOS machine reads the PIF", true, 2, true, {pif, direct}},
      {"DOS-based, nothing starts", true, 2, false, {pif, direct}},
      // A PIF is never opened on NT-family Windows: its DOS machine may accept it and run
      // nothing, or be missing and offer to install itself.
      {"NT family", false, 42, true, {direct}},
      {"NT family, the interpreter does not start", false, 42, false, {direct}},
  };
  for (const Row& r : rows) {
    World w;
    w.shell.dosBased = r.dosBased;
    w.shell.openResult = r.pifResult;
    w.shell.batchStarts = r.batchStarts;
    const bool runs = r.batchStarts || (r.dosBased && r.pifResult > 32);
    std::vector<std::string> starts;
    EXPECT_EQ(w.Run(), runs ? kExitDone : kExitIncomplete) << r.name;
    for (const std::string& call : w.shell.calls) {
      if (call.starts_with("Open ") || call.starts_with("StartBatch ")) starts.push_back(call);
    }
    EXPECT_EQ(starts, r.starts) << r.name;
    EXPECT_EQ(w.fake.console.Logged("Could not start deinst.bat"), !runs) << r.name;
    // "Removed" only where the batch runs; otherwise what stays is named.
    ASSERT_FALSE(w.fake.ui.messages.empty()) << r.name;
    const std::string& closing = w.fake.ui.messages.back().text;
    if (runs) {
      EXPECT_EQ(closing, "Bye 1") << r.name;
    } else {
      EXPECT_TRUE(closing.starts_with("TUNOVAR could not be removed completely. These files stay:")) << closing;
      EXPECT_NE(closing.find(kApp + "deinstal.exe"), std::string::npos) << closing;
      EXPECT_NE(closing.find(kBatch), std::string::npos) << closing;
    }
  }
}

TEST(RunUninstall, AGroupFileThatEndsEarlyEndsTheProgramAtTheGroupStep) {
  World w;
  w.fs.PutFile(kApp + "group", "1\r\ntunovar\r\nOvri TUNOVAR\r\n###\r\nPlayer\r\n");
  EXPECT_EQ(w.Run(), kExitFatalFile);
  EXPECT_FALSE(w.fs.Has(kBatch));
  EXPECT_TRUE(w.fs.Has("C:\\WINDOWS\\ovrituno.inf"));
  EXPECT_TRUE(w.shell.opened.empty());
  EXPECT_TRUE(w.shell.registered);
  EXPECT_TRUE(w.fs.Has(kDir + "\\tuno.exe"));
  EXPECT_TRUE(w.fs.Has(kApp + "group"));
  EXPECT_EQ(w.fake.ui.messages.back().text, "File \"group\" is corrupted");
}

TEST(RunUninstall, ACorruptedTextFileEndsBeforeAnythingChanges) {
  World w;
  w.fs.PutFile(kApp + "insttext", InstText() + "\r\n");
  EXPECT_EQ(w.Run(), kExitFatalFile);
  EXPECT_TRUE(w.fs.journal.empty());
  EXPECT_TRUE(w.shell.registered);
  ASSERT_EQ(w.fake.ui.messages.size(), 1u);
  EXPECT_EQ(w.fake.ui.messages[0].text, "File \"" + kApp + "insttext\" is corrupted");
}

TEST(RunUninstall, ATextFileOrRemovalListThatCannotBeReadWholeEndsBeforeAnythingChanges) {
  struct Row {
    const char* name;
    std::string file;
    std::size_t breakAfter;  // bytes readable; npos: all
    std::string bytes;       // "": as the world has it
  };
  // Far more text than any installation writes: empty lines, as a damaged disk might give.
  const std::string huge = " 1 \r\n" + std::string(kRemovalListMaxBytes, '\n');
  const Row rows[] = {
      {"installer texts break off", kApp + "insttext", 40, ""},
      {"removal list breaks off", kList, 40, ""},
      {"removal list too long to be real", kList, std::string::npos, huge},
  };
  for (const Row& r : rows) {
    World w;
    if (!r.bytes.empty()) w.fs.PutFile(r.file, r.bytes);
    if (r.breakAfter != std::string::npos) w.fs.breakReadsAfter[FakeFileSystem::Key(r.file)] = r.breakAfter;
    EXPECT_EQ(w.Run(), kExitFatalFile) << r.name;
    EXPECT_TRUE(w.fs.journal.empty()) << r.name;
    EXPECT_TRUE(w.fs.Has("C:\\WINDOWS\\ovrituno.inf")) << r.name;
    EXPECT_TRUE(w.shell.registered) << r.name;
    ASSERT_FALSE(w.fake.ui.messages.empty()) << r.name;
    EXPECT_EQ(w.fake.ui.messages.back().text, "File \"" + r.file + "\" is corrupted") << r.name;
  }
}

TEST(RunUninstall, FromAFolderThatHoldsNoInstallation) {
  // The CD (or a copy of it) started with the argument d: no removal list beside it.
  World w;
  w.fs.AddDrive('E');
  w.fs.PutFile("E:\\TUNOVAR\\runtime\\install.exe", "cd");
  w.fs.PutFile("E:\\TUNOVAR\\runtime\\MSVBVM50.DLL", "cd");
  w.fs.PutFile("E:\\TUNOVAR\\runtime\\deinst.pif", "cd");
  w.fs.PutFile("E:\\TUNOVAR\\runtime\\insttext", InstText());
  w.fs.PutFile("E:\\TUNOVAR\\runtime\\group", GroupFile());
  w.exeFolder = "E:\\TUNOVAR\\runtime";
  w.exeName = "install";
  w.arguments = "d";
  const auto cdBefore = w.fs.Tree("E:\\TUNOVAR");

  EXPECT_EQ(w.Run(), kExitDone);
  EXPECT_FALSE(w.fs.Has("C:\\WINDOWS\\ovrituno.inf"));
  EXPECT_EQ(w.shell.ddeCommands, std::vector<std::string>{"[DeleteGroup(Ovri TUNOVAR)]"});
  EXPECT_FALSE(w.shell.registered);
  // No list: no entries, and no batch that would delete the installer's own files here.
  EXPECT_EQ(w.fs.Tree("E:\\TUNOVAR"), cdBefore);
  EXPECT_TRUE(w.shell.opened.empty());
  EXPECT_TRUE(w.fs.Has(kDir + "\\tuno.exe"));
  EXPECT_EQ(w.fake.ui.messages.back().text, "Bye 0");
}

TEST(RunUninstall, AFolderTooShortForInstallDirNamesNoFileAtTheDriveRoot) {
  // "C:\abcde\" less its last 9 characters is empty: the blocks of InstallDir would name
  // "\temp.m3u" and the like, which Windows finds at the root of the current drive.
  World w;
  w.fs.PutFile("C:\\abcde\\insttext", InstText());
  w.fs.PutFile("C:\\abcde\\group", GroupFile());
  w.fs.PutFile("C:\\abcde\\defile", " 0 \r\n");
  w.fs.PutFile("C:\\temp.m3u", "the user's playlist");
  w.shell.shortNames["\\TEMP.M3U"] = "C:\\TEMP.M3U";
  w.exeFolder = "C:\\abcde";
  EXPECT_EQ(w.Run(), kExitIncomplete);  // "insttext" and "group", which no entry names, stay
  const std::string batch = w.fs.Content("C:\\abcde\\deinst.bat");
  EXPECT_NE(batch.find("echo off\r\n:l\r\ndel \r\nif exist  goto l\r\n"), std::string::npos);
  EXPECT_EQ(batch.find("TEMP.M3U"), std::string::npos);
  EXPECT_TRUE(w.fs.Has("C:\\temp.m3u"));
}

TEST(RunUninstall, ARuntimeFolderDirectlyBelowTheTopFolderActsOnNoEntry) {
  // "D:\Tuno\runtime\": the folder chosen when installing would be the drive root D:\, and
  // every entry on D: would count as inside.
  World w;
  w.fs.AddDrive('D');
  w.fs.PutFile("D:\\Tuno\\runtime\\insttext", InstText());
  w.fs.PutFile("D:\\Tuno\\runtime\\group", GroupFile());
  w.fs.PutFile("D:\\Tuno\\runtime\\defile", " 0 \r\nD:\\Tuno\\x.txt\r\nD:\\photos\\holiday.jpg\r\n");
  w.fs.PutFile("D:\\Tuno\\x.txt", "x");
  w.fs.PutFile("D:\\photos\\holiday.jpg", "the user's");
  w.exeFolder = "D:\\Tuno\\runtime";
  EXPECT_EQ(w.Run(), kExitIncomplete);
  EXPECT_TRUE(w.fs.Has("D:\\photos\\holiday.jpg"));
  EXPECT_TRUE(w.fs.Has("D:\\Tuno\\x.txt"));
  EXPECT_EQ(w.installer->report.PassedOverEntries.size(), 2u);
}

// The installer with nothing around it, for the retrying delete.
struct Bare {
  FakePlatform fake;
  Installer installer{fake.platform, {"C:\\TUNOVAR\\runtime", "install"}};
};

TEST(WaitKill, MissingFileReturnsAtOnce) {
  Bare w;
  w.installer.WaitKill("C:\\gone.txt");
  EXPECT_TRUE(w.fake.fs.journal.empty());
}

TEST(WaitKill, ReadOnlyFileGoesInTheFirstAttempt) {
  Bare w;
  w.fake.fs.PutFile("C:\\TUNOVAR\\tunodoc.gid", "x");
  w.fake.fs.Find("C:\\TUNOVAR\\tunodoc.gid")->readOnly = true;
  w.installer.WaitKill("C:\\TUNOVAR\\tunodoc.gid");
  EXPECT_FALSE(w.fake.fs.Has("C:\\TUNOVAR\\tunodoc.gid"));
  EXPECT_EQ(w.fake.fs.journal, (std::vector<std::string>{"Delete C:\\TUNOVAR\\tunodoc.gid"}));
}

TEST(WaitKill, AFileInUseIsGivenUpAtTheFirstReadingMoreThan800MsAfterTheStart) {
  const std::uint32_t starts[] = {1000, 0xFFFFFF00u};  // timeGetTime wraps after 49.7 days
  for (const std::uint32_t start : starts) {
    Bare w;
    w.fake.fs.PutFile("C:\\held.dat", "x");
    w.fake.fs.Find("C:\\held.dat")->locked = true;
    w.fake.clock.now = start;
    w.fake.clock.msPerReading = 1;  // one attempt between two readings
    w.installer.WaitKill("C:\\held.dat");
    EXPECT_TRUE(w.fake.fs.Has("C:\\held.dat")) << start;
    // The start is read at start + 1; the reading at start + 802 is the first more than 800 after it.
    EXPECT_EQ(w.fake.clock.now - start, 802u) << start;
    EXPECT_TRUE(w.fake.clock.sleeps.empty()) << start;
  }
}

}  // namespace
}  // namespace tunovar
