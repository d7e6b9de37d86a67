// The uninstall sequence on the POSIX file system, over real folders with symbolic links in
// the installation: nothing outside is deleted or changed through them.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/posix/file_system_posix.h"
#include "installer/installer.h"
#include "support/installer_fixture.h"
#include "support/temp_drives.h"

namespace tunovar {
namespace {

using testing::CrLfLines;
using testing::TempDrives;

const std::string kDir = "C:\\Apps\\TUNOVAR\\TUNOVAR";

// deinstal /S of kDir's runtime folder on the POSIX file system, the rest of the platform
// faked; the uninstall entry is registered before it.
struct SilentUninstall {
  posix::PosixFileSystem fs;
  testing::FakePlatform fake;
  Platform platform{fs, fake.shell, fake.ui, fake.console, fake.clock};
  std::unique_ptr<Installer> installer;

  [[nodiscard]] bool Ran() {
    fake.shell.fs = nullptr;
    fake.shell.registered = true;
    fake.clock.msPerReading = 1;
    installer = std::make_unique<Installer>(platform, LaunchInfo{kDir + "\\runtime", "deinstal"}, ParseSwitches("/S"));
    if (!installer->Start()) return false;
    installer->Deliver(Ctl::Timer1, Event::kTimer);
    return installer->Ended();
  }
};

TEST(RunUninstallPosix, LinksInTheInstallationTakeNothingOutsideWithThem) {
  TempDrives drives{"C"};
  const auto host = [&](const std::string& relative) { return drives.Host('C', "Apps/TUNOVAR/TUNOVAR/" + relative); };
  const std::string docs = drives.Base() + "/docs";
  TempDrives::WriteFile(docs + "/thesis.doc", "years of work");
  TempDrives::SetMode(docs + "/thesis.doc", 0444);
  TempDrives::WriteFile(drives.Host('C', "Letters/letter.doc"), "dear");
  TempDrives::WriteFile(host("tuno.exe"), "exe");
  TempDrives::WriteFile(host("sub/a.txt"), "a");
  TempDrives::WriteFile(host("runtime/insttext"), testing::InstallerTextFile({testing::EnglishTexts()}));
  ASSERT_EQ(symlink(docs.c_str(), host("link").c_str()), 0);
  ASSERT_EQ(symlink(drives.Host('C', "Letters").c_str(), host("letters").c_str()), 0);
  ASSERT_EQ(symlink((docs + "/thesis.doc").c_str(), host("file-link").c_str()), 0);
  ASSERT_EQ(symlink(host("sub").c_str(), host("own").c_str()), 0);
  const std::vector<std::string> outside = {kDir + "\\link\\thesis.doc", kDir + "\\letters\\letter.doc"};
  TempDrives::WriteFile(host("runtime/defile"),
                        CrLfLines({" 0 ", outside[0], outside[1], kDir + "\\file-link", kDir + "\\own\\a.txt",
                                   kDir + "\\tuno.exe", "#" + kDir + "\\link\\", "#" + kDir + "\\sub\\"}));

  SilentUninstall run;
  ASSERT_TRUE(run.Ran());
  const Installer& installer = *run.installer;

  // What the links lead to is named as staying, and what a later uninstall needs stays too.
  EXPECT_EQ(installer.ExitCodeOfRun(), kExitIncomplete);
  EXPECT_TRUE(installer.report.PassedOverEntries.empty());
  EXPECT_EQ(installer.report.StayingEntries, outside);
  for (const char* kept : {"runtime/defile", "runtime/insttext"}) {
    struct stat st {};
    EXPECT_EQ(lstat(host(kept).c_str(), &st), 0) << kept;
  }
  EXPECT_EQ(TempDrives::ReadFile(docs + "/thesis.doc"), "years of work");
  EXPECT_EQ(TempDrives::ModeOf(docs + "/thesis.doc"), 0444u);
  EXPECT_EQ(TempDrives::ReadFile(drives.Host('C', "Letters/letter.doc")), "dear");
  // The links themselves go, and so does what a link inside the installation leads to.
  for (const char* gone : {"link", "file-link", "own/a.txt", "sub", "tuno.exe"}) {
    struct stat st {};
    EXPECT_NE(lstat(host(gone).c_str(), &st), 0) << gone;
  }
}

// The target folder itself moved and linked back: where it now lies on a drive, the files are
// removed through the link; where no drive holds it, nothing tells that they are the product's,
// and they stay with everything a later uninstall needs.
TEST(RunUninstallPosix, AnInstallationFolderThatIsALinkIsRemovedWhereItReallyLies) {
  for (const bool onTheDrive : {true, false}) {
    TempDrives drives{"C"};
    const std::string moved = onTheDrive ? drives.Host('C', "Moved/TUNOVAR") : drives.Base() + "/elsewhere/TUNOVAR";
    const auto real = [&](const std::string& relative) { return moved + "/TUNOVAR/" + relative; };
    TempDrives::WriteFile(real("tuno.exe"), "exe");
    TempDrives::WriteFile(real("data/songs.db"), "db");
    TempDrives::WriteFile(real("runtime/insttext"), testing::InstallerTextFile({testing::EnglishTexts()}));
    TempDrives::WriteFile(real("runtime/defile"), CrLfLines({" 0 ", kDir + "\\data\\songs.db", kDir + "\\tuno.exe",
                                                            kDir + "\\runtime\\insttext", "#" + kDir + "\\data\\"}));
    TempDrives::WriteFile(drives.Host('C', "Apps/keep.txt"), "the user's");
    ASSERT_EQ(symlink(moved.c_str(), drives.Host('C', "Apps/TUNOVAR").c_str()), 0);

    SilentUninstall run;
    ASSERT_TRUE(run.Ran());
    const Installer& installer = *run.installer;
    const testing::FakeShell& shell = run.fake.shell;

    struct stat st {};
    EXPECT_EQ(installer.ExitCodeOfRun(), onTheDrive ? kExitDone : kExitIncomplete) << onTheDrive;
    EXPECT_EQ(lstat(real("tuno.exe").c_str(), &st) == 0, !onTheDrive) << onTheDrive;
    EXPECT_EQ(lstat(real("data").c_str(), &st) == 0, !onTheDrive) << onTheDrive;
    EXPECT_EQ(lstat(real("runtime/insttext").c_str(), &st) == 0, !onTheDrive) << onTheDrive;
    EXPECT_EQ(lstat(real("runtime/defile").c_str(), &st), 0) << onTheDrive;  // block e of the batch
    EXPECT_EQ(shell.registered, !onTheDrive) << onTheDrive;
    EXPECT_EQ(TempDrives::ReadFile(drives.Host('C', "Apps/keep.txt")), "the user's");
  }
}

}  // namespace
}  // namespace tunovar
