// Silent installs from start to end: the switches act as the user would, messages go to
// standard error, and the exit code tells how the run ended.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "installer/installer.h"
#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::FakePlatform;
using testing::InstallerTextFile;
using testing::TextSection;

TextSection Section(const std::string& name, const std::string& n) {
  return {name, "Title " + n, "Free #FREEMB# MB on #DRIVE#", "Folder", "C:\\Default" + n,
          "Install", "Cancel", "Start now? " + n, "", "", "Removed", "Remove?", "60",
          "No space " + n, "CDDB", "5"};
}

struct SilentRun {
  FakePlatform fake;
  Installer installer;
  explicit SilentRun(const char* arguments)
      : installer(fake.platform, {"D:\\TUNOVAR\\runtime", "install"}, ParseSwitches(arguments)) {
    fake.fs.AddDrive('D');
    fake.fs.PutFolder("C:\\WINDOWS");
    const std::string rt = "D:\\TUNOVAR\\runtime\\";
    fake.fs.PutFile(rt + "insttext", InstallerTextFile({Section("Deutsch", "0"), Section("English", "1"),
                                                        Section("Francais", "2")}));
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
  EXPECT_EQ(run.installer.texts.LangIndex, 2);
  EXPECT_FALSE(run.installer.space.CDDBSelected);
  const std::string p = "C:\\My_Apps\\TUNOVAR\\TUNOVAR\\";
  EXPECT_EQ(run.fake.fs.Content(p + "texte.txt"), "2_texte.txt");
  EXPECT_FALSE(run.fake.fs.Has(p + "cddb\\disc.idx"));
  EXPECT_TRUE(run.fake.fs.Has(p + "runtime\\defile"));
  // The closing question takes its silent answer, No: the product is not started.
  EXPECT_TRUE(run.fake.ui.messages.empty());
  EXPECT_TRUE(run.Said("Title 2: Start now? 2"));
  EXPECT_EQ(std::count(run.fake.shell.opened.begin(), run.fake.shell.opened.end(), p + "tunOVAR.exe"), 0);
}

TEST(RunUnattendedInstall, LanguageOutsideTheSectionsIsAUsageError) {
  SilentRun run("/S /LANG=3 /D=C:\\Apps");
  EXPECT_EQ(run.Run(), kExitUsage);
  EXPECT_TRUE(run.Said("/LANG=3"));
  EXPECT_FALSE(run.fake.fs.Has("C:\\Apps"));
}

TEST(ApplyStartSwitches, WithoutSilentTheyPresetTheWindowAndNothingIsInstalled) {
  SilentRun run("/LANG=2 /NOCDDB /D=C:\\My Apps");
  ASSERT_TRUE(run.installer.Start());
  run.installer.Deliver(Ctl::Timer1, Event::kTimer);
  EXPECT_FALSE(run.installer.Ended());
  EXPECT_TRUE(run.installer.Window().Ready());
  EXPECT_EQ(run.installer.texts.LangIndex, 2);
  EXPECT_FALSE(run.installer.space.CDDBSelected);
  EXPECT_EQ(run.installer.Window()[Ctl::Text_InstPath].caption, "C:\\My Apps");
  EXPECT_FALSE(run.fake.fs.Has("C:\\My_Apps"));

  SilentRun bad("/LANG=7");
  ASSERT_TRUE(bad.installer.Start());
  bad.installer.Deliver(Ctl::Timer1, Event::kTimer);
  EXPECT_EQ(bad.installer.ExitCodeOfRun(), kExitUsage);
  ASSERT_EQ(bad.fake.ui.messages.size(), 1u);
  EXPECT_NE(bad.fake.ui.messages[0].text.find("/LANG=7"), std::string::npos);
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

// The sample CD as committed, with the program and a short large data file put in as the
// staging does: every list line names a file that is there, in every language.
TEST(SampleCd, InstallsCompletelyInEveryLanguage) {
  std::string source = __FILE__;  // tests/unit/startup/ below the project
  for (int up = 0; up < 4; ++up) source = source.substr(0, source.find_last_of('/'));
  const std::filesystem::path cd = source + "/samples/cd";
  ASSERT_TRUE(std::filesystem::is_directory(cd));
  struct Row {
    const char* arguments;
    const char* texts;
    bool cddb;
  };
  const Row rows[] = {
      {"/S /LANG=0 /D=C:\\Apps", "Kurzanleitung", true},
      {"/S /LANG=1 /NOCDDB /D=C:\\Apps", "Quick start", false},
      {"/S /LANG=2 /D=C:\\Apps", "D\xE9marrage", true},
  };
  for (const Row& r : rows) {
    FakePlatform fake;
    fake.fs.AddDrive('D');
    fake.fs.PutFolder("C:\\WINDOWS");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(cd)) {
      if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
      std::string rel = entry.path().lexically_relative(cd).string();
      std::replace(rel.begin(), rel.end(), '/', '\\');
      std::ifstream file(entry.path(), std::ios::binary);
      fake.fs.PutFile("D:\\" + rel, std::string(std::istreambuf_iterator<char>(file), {}));
    }
    fake.fs.PutFile("D:\\TUNOVAR\\runtime\\deinstal.exe", "the program");
    fake.fs.PutFile("D:\\TUNOVAR\\pdata\\tunovar.dat", std::string(3000, 'p'));
    Installer installer(fake.platform, {"D:\\TUNOVAR\\runtime", "install"}, ParseSwitches(r.arguments));
    ASSERT_TRUE(installer.Start()) << r.arguments;
    installer.Deliver(Ctl::Timer1, Event::kTimer);
    EXPECT_EQ(installer.ExitCodeOfRun(), kExitDone) << r.arguments;
    EXPECT_TRUE(installer.report.FailedFiles.empty()) << r.arguments;
    const std::string p = "C:\\Apps\\TUNOVAR\\TUNOVAR\\";
    EXPECT_NE(fake.fs.Content(p + "texte.txt").find(r.texts), std::string::npos) << r.arguments;
    EXPECT_TRUE(fake.fs.FileExists(p + "tunoDoc.hlp")) << r.arguments;
    EXPECT_EQ(fake.fs.FileExists(p + "cddb\\cddb.dat"), r.cddb) << r.arguments;
    EXPECT_TRUE(fake.fs.FileExists(p + "runtime\\defile")) << r.arguments;
    EXPECT_EQ(fake.fs.Content(p + "pdata\\tunovar.dat").size(), 3000u) << r.arguments;
    ASSERT_EQ(fake.shell.ddeCommands.size(), 8u) << r.arguments;
    // The third item stays on the CD.
    EXPECT_EQ(fake.shell.ddeCommands[7].rfind("[AddItem(D:\\TUNOVAR\\intro.txt, ", 0), 0u) << r.arguments;
  }
}

}  // namespace
}  // namespace tunovar
