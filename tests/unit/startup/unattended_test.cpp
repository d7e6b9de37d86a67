// Silent installs from start to end: the switches act as the user would, messages go to
// standard error, and the exit code tells how the run ended.
#include <gtest/gtest.h>

#include <algorithm>

#include "startup/installer.h"
#include "support/fake_platform.h"

namespace tunovar {
namespace {

using testing::FakePlatform;

std::string Section(const std::string& name, const std::string& n) {
  const std::string lines[] = {"###" + name, "Title " + n, "Free #FREEMB# MB on #DRIVE#", "Folder",
                               "C:\\Default" + n, "Install", "Cancel", "Start now? " + n, "", "",
                               "Removed", "Remove?", "60", "No space " + n, "CDDB", "5"};
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

struct SilentRun {
  FakePlatform fake;
  Installer installer;
  explicit SilentRun(const char* arguments)
      : installer(fake.platform, {"D:\\TUNOVAR\\runtime", "install", arguments}) {
    fake.fs.AddDrive('D');
    fake.fs.PutFolder("C:\\WINDOWS");
    const std::string rt = "D:\\TUNOVAR\\runtime\\";
    fake.fs.PutFile(rt + "insttext", Section("Deutsch", "0") + Section("English", "1") + Section("Francais", "2"));
    fake.fs.PutFile(rt + "filedir", "TUNOVAR\\\r\nTUNOVAR\\runtime\\\r\nTUNOVAR\\cddb\\\r\n");
    fake.fs.PutFile(rt + "filelist", "TUNOVAR\\tunOVAR.exe\r\nTUNOVAR\\0_texte.txt\r\nTUNOVAR\\1_texte.txt\r\nTUNOVAR\\2_texte.txt\r\n");
    fake.fs.PutFile(rt + "dbfiles", "TUNOVAR\\cddb\\disc.idx\r\n");
    fake.fs.PutFile(rt + "group", "0\r\nTUNOVAR\r\nOvri TUNOVAR\r\n");
    for (const char* f : {"tunOVAR.exe", "0_texte.txt", "1_texte.txt", "2_texte.txt", "cddb\\disc.idx"}) {
      fake.fs.PutFile(std::string("D:\\TUNOVAR\\") + f, f);
    }
  }
  int Run() {
    if (installer.Start()) installer.Deliver(Ctl::Timer1, Event::kTimer);
    EXPECT_TRUE(installer.Ended());
    return installer.ExitCodeOfRun();
  }
  bool Said(const std::string& part) {
    return std::any_of(fake.console.errors.begin(), fake.console.errors.end(),
                       [&](const std::string& e) { return e.find(part) != std::string::npos; });
  }
};

TEST(RunUnattendedInstall, SwitchesActAsTheUserWould) {
  SilentRun run("/S /LANG=2 /NOCDDB /D=C:\\My Apps");
  EXPECT_EQ(run.Run(), kExitDone);
  EXPECT_EQ(run.installer.LangIndex, 2);
  EXPECT_FALSE(run.installer.CDDBSelected);
  const std::string p = "C:\\My_Apps\\TUNOVAR\\TUNOVAR\\";
  EXPECT_EQ(run.fake.fs.Content(p + "texte.txt"), "2_texte.txt");
  EXPECT_FALSE(run.fake.fs.Has(p + "cddb\\disc.idx"));
  EXPECT_TRUE(run.fake.fs.Has(p + "runtime\\defile"));
  // The closing question takes its silent answer, No: the product is not started.
  EXPECT_TRUE(run.fake.ui.messages.empty());
  EXPECT_TRUE(run.Said("Title 2: Start now? 2"));
  EXPECT_EQ(std::count(run.fake.shell.opened.begin(), run.fake.shell.opened.end(), p + "tunOVAR.exe"), 0);
}

TEST(RunUnattendedInstall, WithoutSwitchesTheSystemLanguageAndItsDefaultPath) {
  SilentRun run("/S");
  EXPECT_EQ(run.Run(), kExitDone);
  EXPECT_EQ(run.installer.LangIndex, 1);  // the fake system is English
  EXPECT_EQ(run.fake.fs.Content("C:\\Default1\\TUNOVAR\\TUNOVAR\\texte.txt"), "1_texte.txt");
  EXPECT_TRUE(run.fake.fs.Has("C:\\Default1\\TUNOVAR\\TUNOVAR\\cddb\\disc.idx"));
}

TEST(RunUnattendedInstall, LanguageOutsideTheSectionsIsAUsageError) {
  SilentRun run("/S /LANG=3 /D=C:\\Apps");
  EXPECT_EQ(run.Run(), kExitUsage);
  EXPECT_TRUE(run.Said("/LANG=3"));
  EXPECT_FALSE(run.fake.fs.Has("C:\\Apps"));
}

TEST(RunUnattendedInstall, NotEnoughSpaceEndsWithItsCode) {
  SilentRun run("/S /D=C:\\Apps");
  run.fake.fs.SetFreeMb('C', 64);  // 60 MB and 5 for the CDDB files
  EXPECT_EQ(run.Run(), kExitNoSpace);
  EXPECT_TRUE(run.Said("Ovri TUNOVAR Installation: No space 1"));
  EXPECT_FALSE(run.fake.fs.Has("C:\\Apps"));

  SilentRun without("/S /NOCDDB /D=C:\\Apps");
  without.fake.fs.SetFreeMb('C', 64);
  EXPECT_EQ(without.Run(), kExitDone);
}

TEST(RunUnattendedInstall, FilesThatCouldNotBePlacedEndWithCode4) {
  SilentRun run("/S /D=C:\\Apps");
  ASSERT_EQ(run.fake.fs.DeleteFile("D:\\TUNOVAR\\1_texte.txt"), FsStatus::kOk);
  EXPECT_EQ(run.Run(), kExitIncomplete);
  EXPECT_TRUE(run.Said("Error: These files could not be installed:\r\nC:\\Apps\\TUNOVAR\\TUNOVAR\\texte.txt"));
  EXPECT_TRUE(run.fake.console.Logged("Failed C:\\Apps\\TUNOVAR\\TUNOVAR\\texte.txt"));
}

}  // namespace
}  // namespace tunovar
