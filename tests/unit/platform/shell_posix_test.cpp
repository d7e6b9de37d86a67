// Tests of the POSIX shell: language identifiers, system folders and path forms,
// the single-instance lock, "open", the XDG menu stand-in and the uninstall entry.
#include "platform/posix/shell_posix.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/posix/detached_process.h"
#include "platform/posix/uninstall_entry.h"
#include "support/fake_platform.h"
#include "support/temp_drives.h"

namespace tunovar::posix {
namespace {

using testing::TempDrives;

// Polls a condition that a detached process brings about, for up to 30 seconds.
template <typename Condition>
bool Eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Takes in the processes that detached children leave behind (they live on in sessions of
// their own), and at its end reaps each once it has ended: no test leaves one running.
class ReapDetached {
 public:
  ReapDetached() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
  ~ReapDetached() {
    const bool allEnded = Eventually([] { return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; });
    EXPECT_TRUE(allEnded) << "a process started by the test is still running";
    prctl(PR_SET_CHILD_SUBREAPER, 0);
  }
  ReapDetached(const ReapDetached&) = delete;
  ReapDetached& operator=(const ReapDetached&) = delete;
};

class ShellPosix : public ::testing::Test {
 protected:
  TempDrives drives{"CD"};
  PosixFileSystem fs;
  tunovar::testing::FakeConsole log;
  PosixShell shell{fs, &log};
  ReapDetached reaper;  // ends first: the drive folders stay until every process has ended
};

TEST(ShellPosixLanguage, LocaleNamesGiveWindowsLanguageIdentifiers) {
  struct Row {
    const char* locale;
    std::uint16_t id;
  };
  const Row rows[] = {
      {"de_DE.UTF-8", 0x0407}, {"de", 0x0407},        {"de_CH.UTF-8", 0x0807}, {"de_AT@euro", 0x0C07},
      {"fr_FR.UTF-8", 0x040C}, {"fr_BE", 0x080C},     {"fr_CA.UTF-8", 0x0C0C}, {"en_US.UTF-8", 0x0409},
      {"en_GB.UTF-8", 0x0809}, {"nl_NL", 0x0413},     {"it_IT", 0x0410},       {"es_ES.UTF-8", 0x0C0A},
      {"pt_BR", 0x0416},       {"de_XX", 0x0407},     {"C", 0x0409},           {"POSIX", 0x0409},
      {"C.UTF-8", 0x0409},     {"", 0x0409},          {"xx_YY", 0x0409},
  };
  for (const Row& row : rows) EXPECT_EQ(LangIdOfLocale(row.locale), row.id) << row.locale;
}

TEST(ShellPosixLanguage, TheFirstLocaleVariableThatIsSetDecides) {
  TempDrives drives;
  drives.SetEnv("LC_ALL", "");
  drives.SetEnv("LC_MESSAGES", "fr_CA.UTF-8");
  drives.SetEnv("LANG", "de_DE.UTF-8");
  PosixFileSystem fs;
  PosixShell shell(fs);
  EXPECT_EQ(shell.SystemDefaultLangId(), 0x0C0C);
  drives.SetEnv("LC_ALL", "nl_BE");
  EXPECT_EQ(shell.SystemDefaultLangId(), 0x0813);
  drives.SetEnv("LC_ALL", std::nullopt);
  drives.SetEnv("LC_MESSAGES", std::nullopt);
  EXPECT_EQ(shell.SystemDefaultLangId(), 0x0407);
  drives.SetEnv("LANG", std::nullopt);
  EXPECT_EQ(shell.SystemDefaultLangId(), 0x0409);
}

TEST_F(ShellPosix, TheWindowsFolderIsMadeOnFirstUse) {
  EXPECT_FALSE(TempDrives::Exists(drives.Host('C', "WINDOWS")));
  EXPECT_EQ(shell.WindowsDirectory(), "C:\\WINDOWS");
  EXPECT_TRUE(TempDrives::Exists(drives.Host('C', "WINDOWS")));
  EXPECT_EQ(shell.SystemDirectory(), "C:\\WINDOWS\\SYSTEM32");
  drives.SetEnv("TUNOVAR_DRIVES", "D=" + drives.Root('D'));
  PosixFileSystem noC;
  PosixShell other(noC);
  EXPECT_FALSE(other.WindowsDirectory());
}

TEST_F(ShellPosix, ShortAndLongFormsAreThePathInItsOnDiskSpelling) {
  TempDrives::WriteFile(drives.Host('C', "Program Files/TunoVar/Tuno.EXE"), "");
  struct Row {
    const char* path;
    const char* form;
  };
  const Row rows[] = {
      {"C:\\PROGRAM FILES\\tunovar\\tuno.exe", "C:\\Program Files\\TunoVar\\Tuno.EXE"},
      {"c:\\program files\\tunovar\\", "c:\\Program Files\\TunoVar\\"},  // a final "\" kept
      {"C:\\", "C:\\"},
      {"C:\\Program Files\\missing.txt", ""},
      {"C:\\Program Files\\TunoVar\\Tuno.EXE\\", ""},
      {"Q:\\x", ""},
      {"no drive", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(shell.LongPathName(row.path), row.form) << row.path;
    EXPECT_EQ(shell.ShortPathName(row.path), row.form) << row.path;
  }
}

TEST_F(ShellPosix, PathFormsLongerThanTheSystemsBufferAreEmpty) {
  const std::string name(200, 'n');
  std::string host = drives.Root('C');
  std::string windows = "C:";
  for (int i = 0; i < 5; ++i) {
    host += "/" + name;
    windows += "\\" + name;
    TempDrives::MakeFolders(host);
  }
  // Four names: 2 + 4 * 201 characters fit in 1000; five do not.
  const std::string four = windows.substr(0, 2 + 4 * 201);
  EXPECT_EQ(shell.LongPathName(four), four);
  EXPECT_EQ(shell.LongPathName(windows), "");
  EXPECT_EQ(shell.ShortPathName(windows), "");
}

TEST_F(ShellPosix, ThereAreNoWindows) {
  EXPECT_FALSE(shell.FindTopWindow("window 0", "Ovri TUNOVAR"));
  EXPECT_FALSE(shell.FindTopWindow("", ""));
}

TEST(ShellPosixInstance, OneInstanceHoldsTheLockAndNoChildKeepsIt) {
  TempDrives drives;
  ReapDetached reaper;
  PosixFileSystem fs;
  auto first = std::make_unique<PosixShell>(fs);
  ASSERT_FALSE(first->AnotherInstanceRunning());
  EXPECT_FALSE(first->AnotherInstanceRunning());  // asked again by the same run
  EXPECT_EQ(first->InstanceLockPath(), drives.Host('C', "WINDOWS"));
  {
    // A run of the same drives with a runtime folder of its own sees the lock too.
    drives.SetEnv("XDG_RUNTIME_DIR", drives.Base() + "/other-run");
    PosixShell other(fs);
    EXPECT_TRUE(other.AnotherInstanceRunning());
    drives.SetEnv("XDG_RUNTIME_DIR", drives.RuntimeDir());
  }
  // Children started while the lock is held, a program and a detached piece of work, which
  // run until the file "release" appears; it is made however the test ends.
  struct ReleaseAtEnd {
    std::string path;
    ~ReleaseAtEnd() { close(open(path.c_str(), O_WRONLY | O_CREAT, 0600)); }
  } atEnd{drives.Base() + "/release"};
  const std::string& release = atEnd.path;
  ASSERT_TRUE(SpawnDetached("/bin/sh", {"-c", "until [ -e \"$0\" ]; do sleep 0.05; done", release}, ""));
  ASSERT_TRUE(RunDetached([release] {
    while (access(release.c_str(), F_OK) != 0) usleep(50000);
  }));
  PosixShell second(fs);
  EXPECT_TRUE(second.AnotherInstanceRunning());
  // The first run ends: the lock is free although both children still run.
  first.reset();
  EXPECT_FALSE(second.AnotherInstanceRunning());
  PosixShell third(fs);
  EXPECT_TRUE(third.AnotherInstanceRunning());
}

TEST(DetachedWork, KeepsOnlyTheDescriptorItIsGivenUntilItEnds) {
  TempDrives drives;
  ReapDetached reaper;
  int kept[2];
  int other[2];
  ASSERT_EQ(pipe2(kept, O_CLOEXEC), 0);
  ASSERT_EQ(pipe2(other, O_CLOEXEC), 0);
  // The work runs until the file "release" appears; it is made however the test ends.
  struct ReleaseAtEnd {
    std::string path;
    ~ReleaseAtEnd() { close(open(path.c_str(), O_WRONLY | O_CREAT, 0600)); }
  } atEnd{drives.Base() + "/release"};
  const std::string& release = atEnd.path;
  ASSERT_TRUE(RunDetached([release] {
    while (access(release.c_str(), F_OK) != 0) usleep(20000);
  }, kept[1]));
  // A pipe's reading end sees the end of the file once no writing end is left open: the other
  // pipe's is closed in the work, the kept one's only when the work ends.
  close(kept[1]);
  close(other[1]);
  char byte = 0;
  EXPECT_EQ(read(other[0], &byte, 1), 0);
  ASSERT_EQ(fcntl(kept[0], F_SETFL, O_NONBLOCK), 0);
  EXPECT_EQ(read(kept[0], &byte, 1), -1);
  EXPECT_EQ(errno, EAGAIN);
  close(open(release.c_str(), O_WRONLY | O_CREAT, 0600));
  ASSERT_EQ(fcntl(kept[0], F_SETFL, 0), 0);
  EXPECT_EQ(read(kept[0], &byte, 1), 0);
  close(other[0]);
  close(kept[0]);
}

TEST_F(ShellPosix, OpenNamesMissingFilesPassesOverWindowsProgramsAndRunsTheBatch) {
  EXPECT_EQ(shell.Open("C:\\nothing.exe", "", "C:\\", ShowMode::kNormal), 2);
  EXPECT_EQ(shell.Open("C:\\nothing.pif", "", "C:\\", ShowMode::kHidden), 2);
  EXPECT_EQ(shell.Open("deinst.bat", "", "C:\\run", ShowMode::kHidden), 2);
  TempDrives::WriteFile(drives.Host('D', "TUNOVAR/runtime/oset.EXE"), "MZ");
  TempDrives::WriteFile(drives.Host('C', "run/deinst.bat"), "del gone.txt");
  TempDrives::WriteFile(drives.Host('C', "run/gone.txt"), "");
  EXPECT_EQ(shell.Open("D:\\tunovar\\runtime\\oset.exe", "", "D:\\tunovar\\runtime", ShowMode::kNormal), 42);
  // The uninstaller's batch, named from its working folder, runs with the built-in interpreter.
  EXPECT_EQ(shell.Open("deinst.bat", "", "C:\\run", ShowMode::kHidden), 42);
  EXPECT_TRUE(Eventually([&] { return !TempDrives::Exists(drives.Host('C', "run/gone.txt")); }));
  EXPECT_EQ(shell.PassedOver(), std::vector<std::string>{"program D:\\tunovar\\runtime\\oset.exe"});
  EXPECT_EQ(log.log.size(), 1u);
  EXPECT_TRUE(log.Logged("D:\\tunovar\\runtime\\oset.exe"));
}

TEST_F(ShellPosix, OpeningAPifRunsItsBatchDetached) {
  const std::string runtime = "Apps/TUNOVAR/runtime/";
  TempDrives::WriteFile(drives.Host('C', runtime + "deinst.pif"), "pif");
  TempDrives::WriteFile(drives.Host('C', runtime + "defile"), "0\r\n");
  // Each round of the waiting block deletes "round.txt": the test sees the batch wait.
  TempDrives::WriteFile(drives.Host('C', runtime + "deinst.bat"),
                        "echo off\r\n:e\r\ndel C:\\Apps\\TUNOVAR\\runtime\\defile\r\ndel round.txt\r\n"
                        "if exist C:\\Apps\\TUNOVAR\\runtime\\defile goto e\r\n"
                        "del deinst.pif | del deinst.bat | cd .. | rd runtime | cd.. | rd TUNOVAR | cd.. | rd Apps");
  const std::string round = drives.Host('C', runtime + "round.txt");
  TempDrives::WriteFile(round, "");
  // The uninstaller holds its list until it ends: the batch waits for it.
  auto hold = fs.HoldOpen("C:\\Apps\\TUNOVAR\\runtime\\defile");
  ASSERT_NE(hold, nullptr);
  EXPECT_EQ(shell.Open("C:\\APPS\\TUNOVAR\\RUNTIME\\DEINST.PIF", "", "C:\\Apps\\TUNOVAR\\runtime",
                       ShowMode::kHidden),
            42);
  for (int rounds = 0; rounds < 2; ++rounds) {
    ASSERT_TRUE(Eventually([&] { return !TempDrives::Exists(round); })) << rounds;
    EXPECT_TRUE(TempDrives::Exists(drives.Host('C', runtime + "defile"))) << rounds;
    TempDrives::WriteFile(round, "");  // seen gone again only after another round
  }
  hold.reset();
  EXPECT_TRUE(Eventually([&] { return !TempDrives::Exists(drives.Host('C', "Apps")); }));
  EXPECT_TRUE(shell.PassedOver().empty());
}

TEST_F(ShellPosix, APifWithoutItsBatchOpensNothing) {
  TempDrives::WriteFile(drives.Host('C', "run/deinst.pif"), "pif");
  EXPECT_EQ(shell.Open("C:\\run\\deinst.pif", "", "C:\\run", ShowMode::kHidden), 2);
}

TEST_F(ShellPosix, DocumentsGoToXdgOpenWhereItIsInstalled) {
  TempDrives::WriteFile(drives.Host('D', "TUNOVAR/Hilfe/0_TunoDoc.hlp"), "help");
  const std::string bin = drives.Base() + "/bin";
  drives.SetEnv("PATH", bin);
  EXPECT_EQ(shell.Open("D:\\TUNOVAR\\HILFE\\0_tunodoc.hlp", "", "", ShowMode::kNormal), 31);
  EXPECT_EQ(shell.PassedOver(), std::vector<std::string>{"document D:\\TUNOVAR\\HILFE\\0_tunodoc.hlp"});

  const std::string out = drives.Base() + "/opened.txt";
  TempDrives::WriteFile(bin + "/xdg-open", "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$PWD\" > " + out + "\n");
  TempDrives::SetMode(bin + "/xdg-open", 0755);
  EXPECT_EQ(shell.Open("D:\\TUNOVAR\\HILFE\\0_tunodoc.hlp", "", "D:\\TUNOVAR", ShowMode::kNormal), 42);
  ASSERT_TRUE(Eventually([&] { return TempDrives::ReadFile(out).value_or("").find('|') != std::string::npos; }));
  EXPECT_EQ(TempDrives::ReadFile(out), drives.Host('D', "TUNOVAR/Hilfe/0_TunoDoc.hlp") + "|" + drives.Root('D') + "/TUNOVAR");
}

// ---- The XDG menu stand-in ------------------------------------------------------------------

class XdgMenuPosix : public ShellPosix {
 protected:
  DdeStatus Send(const std::string& command) { return shell.DdeExecute("ProgMan", "Progman", command, 3000, 6000); }
  std::string Applications() const { return drives.DataHome() + "/applications/"; }
  // The files of the menu, relative to the base folder.
  std::vector<std::string> MenuFiles() {
    std::vector<std::string> out;
    for (const std::string& root : {drives.DataHome(), drives.ConfigHome()}) {
      for (const std::string& entry : TempDrives::Tree(root)) {
        if (entry.back() != '/') out.push_back(root.substr(drives.Base().size() + 1) + "/" + entry);
      }
    }
    return out;
  }
};

TEST_F(XdgMenuPosix, AGroupAndItsItemsAreASubmenuWithDesktopEntriesUntilDeleteGroup) {
  TempDrives::WriteFile(drives.Host('C', "Apps/TUNOVAR/tuno.exe"), "");
  TempDrives::WriteFile(drives.Host('D', "TUNOVAR/intro.exe"), "");
  EXPECT_EQ(Send("[CreateGroup(Ovri TUNOVAR,C:\\WINDOWS\\TUNOVAR.GRP)]"), DdeStatus::kDone);
  EXPECT_EQ(Send("[ShowGroup(Ovri TUNOVAR,1)]"), DdeStatus::kDone);
  EXPECT_EQ(Send("[ReplaceItem(Player)]"), DdeStatus::kNotProcessed);  // not there yet
  EXPECT_EQ(Send("[AddItem(C:\\Apps\\TUNOVAR\\tuno.exe, Player,,,)]"), DdeStatus::kDone);
  EXPECT_EQ(Send("[ReplaceItem(Intro, M\xFCsik)]"), DdeStatus::kNotProcessed);
  EXPECT_EQ(Send("[AddItem(D:\\tunovar\\intro.exe, Intro, M\xFCsik,,,)]"), DdeStatus::kDone);
  EXPECT_EQ(MenuFiles(), (std::vector<std::string>{
                             "data/applications/tunovar-ovri-tunovar-intro-m-sik.desktop",
                             "data/applications/tunovar-ovri-tunovar-player.desktop",
                             "data/desktop-directories/tunovar-ovri-tunovar.directory",
                             "config/menus/applications-merged/tunovar-ovri-tunovar.menu",
                         }));
  const auto player = TempDrives::ReadFile(Applications() + "tunovar-ovri-tunovar-player.desktop");
  ASSERT_TRUE(player);
  EXPECT_NE(player->find("\nName=Player\n"), std::string::npos);
  EXPECT_NE(player->find("\nExec=\"" + drives.Host('C', "Apps/TUNOVAR/tuno.exe") + "\"\n"), std::string::npos);
  EXPECT_NE(player->find("\nCategories=X-tunovar-ovri-tunovar;\n"), std::string::npos);
  const auto intro = TempDrives::ReadFile(Applications() + "tunovar-ovri-tunovar-intro-m-sik.desktop");
  ASSERT_TRUE(intro);
  EXPECT_NE(intro->find("\nName=Intro, M\xC3\xBCsik\n"), std::string::npos);
  EXPECT_NE(intro->find("\nExec=\"" + drives.Host('D', "TUNOVAR/intro.exe") + "\"\n"), std::string::npos);
  // A document opens with the desktop's program for it.
  TempDrives::WriteFile(drives.Host('C', "Apps/TUNOVAR/Liesmich.TXT"), "");
  EXPECT_EQ(Send("[AddItem(C:\\Apps\\TUNOVAR\\Liesmich.TXT, Readme,,,)]"), DdeStatus::kDone);
  const auto readme = TempDrives::ReadFile(Applications() + "tunovar-ovri-tunovar-readme.desktop");
  ASSERT_TRUE(readme);
  EXPECT_NE(readme->find("\nExec=xdg-open \"" + drives.Host('C', "Apps/TUNOVAR/Liesmich.TXT") + "\"\n"), std::string::npos);
  EXPECT_EQ(Send("[ReplaceItem(Readme)]"), DdeStatus::kDone);
  const auto menu = TempDrives::ReadFile(drives.ConfigHome() + "/menus/applications-merged/tunovar-ovri-tunovar.menu");
  ASSERT_TRUE(menu);
  EXPECT_NE(menu->find("<Category>X-tunovar-ovri-tunovar</Category>"), std::string::npos);

  // ReplaceItem then AddItem, as an installation over an installation sends them.
  EXPECT_EQ(Send("[ReplaceItem(PLAYER)]"), DdeStatus::kDone);
  EXPECT_EQ(Send("[AddItem(C:\\Apps\\TUNOVAR\\tuno.exe, Player,,,)]"), DdeStatus::kDone);
  EXPECT_EQ(MenuFiles().size(), 4u);

  EXPECT_EQ(Send("[DeleteGroup()]"), DdeStatus::kNotProcessed);  // an empty name removes nothing
  EXPECT_EQ(MenuFiles().size(), 4u);
  EXPECT_EQ(Send("[DeleteGroup(ovri tunovar)]"), DdeStatus::kDone);
  EXPECT_EQ(MenuFiles(), std::vector<std::string>{});
  EXPECT_EQ(Send("[DeleteGroup(Ovri TUNOVAR)]"), DdeStatus::kNotProcessed);
}

TEST_F(XdgMenuPosix, GroupsWhoseNamesLookAlikeKeepTheirOwnFiles) {
  TempDrives::WriteFile(drives.Host('C', "a.exe"), "");
  EXPECT_EQ(Send("[CreateGroup(Ovri TUNOVAR,x.GRP)]"), DdeStatus::kDone);
  EXPECT_EQ(Send("[AddItem(C:\\a.exe, A,,,)]"), DdeStatus::kDone);
  EXPECT_EQ(Send("[CreateGroup(Ovri-Tunovar,y.GRP)][AddItem(C:\\a.exe, A,,,)]"), DdeStatus::kDone);
  EXPECT_EQ(MenuFiles().size(), 6u);
  EXPECT_EQ(Send("[DeleteGroup(Ovri TUNOVAR)]"), DdeStatus::kDone);
  EXPECT_EQ(MenuFiles(), (std::vector<std::string>{
                             "data/applications/tunovar-ovri-tunovar-2-a.desktop",
                             "data/desktop-directories/tunovar-ovri-tunovar-2.directory",
                             "config/menus/applications-merged/tunovar-ovri-tunovar-2.menu",
                         }));
}

TEST_F(XdgMenuPosix, CommandsItDoesNotKnowOrCannotPlaceAreNotProcessed) {
  EXPECT_EQ(shell.DdeExecute("Other", "Progman", "[CreateGroup(G)]", 3000, 6000), DdeStatus::kRefused);
  EXPECT_EQ(Send("[AddItem(C:\\a.exe, A,,,)]"), DdeStatus::kNotProcessed);  // no group yet
  EXPECT_EQ(Send("[ExitProgman(1)]"), DdeStatus::kNotProcessed);
  EXPECT_EQ(Send("CreateGroup(G)"), DdeStatus::kNotProcessed);
  EXPECT_EQ(Send("[CreateGroup(G"), DdeStatus::kNotProcessed);
  EXPECT_EQ(Send("[CreateGroup(,C:\\WINDOWS\\.GRP)]"), DdeStatus::kNotProcessed);
  EXPECT_EQ(Send("[ShowGroup(Missing,1)]"), DdeStatus::kNotProcessed);
  EXPECT_EQ(Send("[CreateGroup(G,g.GRP)]"), DdeStatus::kDone);
  EXPECT_EQ(Send("[AddItem(relative.exe, A,,,)]"), DdeStatus::kNotProcessed);
  EXPECT_EQ(MenuFiles().size(), 2u);
}

TEST_F(XdgMenuPosix, QuotedArgumentsMayHoldCommas) {
  TempDrives::WriteFile(drives.Host('C', "a,b/x.exe"), "");
  EXPECT_EQ(Send("[CreateGroup(\"G, H\",g.GRP)][AddItem(\"C:\\a,b\\x.exe\",\"One, two\")]"), DdeStatus::kDone);
  const auto entry = TempDrives::ReadFile(Applications() + "tunovar-g-h-one-two.desktop");
  ASSERT_TRUE(entry);
  EXPECT_NE(entry->find("\nName=One, two\n"), std::string::npos) << *entry;
  EXPECT_NE(entry->find("\nX-Tunovar-Group=G, H\n"), std::string::npos) << *entry;
  EXPECT_NE(entry->find("/a,b/x.exe\"\n"), std::string::npos) << *entry;
}

TEST_F(XdgMenuPosix, DesktopEntriesPassTheValidator) {
  const auto validator = FindOnPath("desktop-file-validate");
  if (!validator) GTEST_SKIP() << "desktop-file-validate is not installed";
  EXPECT_EQ(Send("[CreateGroup(\xC4rger & Co,x.GRP)]"), DdeStatus::kDone);
  TempDrives::WriteFile(drives.Host('C', "Odd $Folder (100%)/back`tick/x.exe"), "");
  EXPECT_EQ(Send("[AddItem(C:\\Odd $Folder (100%)\\back`tick\\x.exe,  Ein \\ Eintrag,,,)]"), DdeStatus::kDone);
  const auto files = TempDrives::Tree(Applications());
  ASSERT_EQ(files.size(), 1u);
  for (const std::string& file : {Applications() + files[0],
                                   drives.DataHome() + "/desktop-directories/tunovar-rger-co.directory"}) {
    const std::string command = *validator + " '" + file + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(output.find("error"), std::string::npos) << output;
  }
  const auto entry = TempDrives::ReadFile(Applications() + files[0]);
  EXPECT_NE(entry->find("\nExec=\"" + drives.Root('C') + "/Odd \\\\$Folder (100%%)/back\\\\`tick/x.exe\"\n"),
            std::string::npos)
      << *entry;
  EXPECT_NE(entry->find("\nName=Ein \\\\ Eintrag\n"), std::string::npos) << *entry;
}

// ---- The uninstall entry -------------------------------------------------------------------

TEST_F(ShellPosix, TheUninstallEntryNamesTheInstalledUninstallerAndItsSilentCommand) {
  TempDrives::WriteFile(drives.Host('C', "My Apps/TUNOVAR/runtime/deinstal"), "");
  const std::string entry = drives.DataHome() + "/tunovar-setup/uninstall.entry";
  EXPECT_TRUE(shell.RegisterUninstaller({"C:\\My Apps\\tunovar\\runtime\\deinstal.exe", "Ovri TUNOVAR", "1.0.0.0", 4096}));
  const std::string host = drives.Host('C', "My Apps/TUNOVAR/runtime/deinstal");
  EXPECT_EQ(TempDrives::ReadFile(entry), "[Uninstall]\nDisplayName=Ovri TUNOVAR\nUninstallString=" + host +
                                             "\nQuietUninstallString='" + host +
                                             "' /S\nDisplayVersion=1.0.0.0\nEstimatedSize=4096\n");
  EXPECT_TRUE(shell.UnregisterUninstaller());
  EXPECT_FALSE(TempDrives::Exists(entry));
  EXPECT_FALSE(shell.UnregisterUninstaller());
  EXPECT_FALSE(shell.RegisterUninstaller({"relative\\deinstal.exe", "Ovri TUNOVAR", "1.0.0.0", 1}));
  // A line end in the version would start a key of its own.
  EXPECT_FALSE(shell.RegisterUninstaller({"C:\\My Apps\\tunovar\\runtime\\deinstal.exe", "Ovri TUNOVAR", "1.0\nX=1", 1}));
  EXPECT_FALSE(TempDrives::Exists(entry));
}

TEST(UninstallEntryPosix, ShellWordsAreQuotedOnlyWhenTheyMustBe) {
  EXPECT_EQ(ShellWord("/opt/tuno/deinstal"), "/opt/tuno/deinstal");
  EXPECT_EQ(ShellWord("/opt/my tuno/deinstal"), "'/opt/my tuno/deinstal'");
  EXPECT_EQ(ShellWord("/opt/it's/$x"), "'/opt/it'\\''s/$x'");
  EXPECT_EQ(ShellWord(""), "''");
}

}  // namespace
}  // namespace tunovar::posix
