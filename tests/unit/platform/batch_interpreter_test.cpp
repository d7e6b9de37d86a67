// Tests of the self-removal batch's interpreter on real folders.
#include "platform/batch_interpreter.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include <gtest/gtest.h>

#include "platform/posix/clock_posix.h"
#include "platform/posix/file_system_posix.h"
#include "support/fake_clock.h"
#include "support/temp_drives.h"
#include "uninstall/removal_batch.h"

namespace tunovar::posix {
namespace {

using testing::FakeClock;
using testing::TempDrives;

constexpr const char* kRuntime = "C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime";

// A fixed waiting block as the uninstaller writes it (P empty when the file is missing).
std::string Block(char label, const std::string& path) {
  const std::string l(1, label);
  return "echo off\r\n:" + l + "\r\ndel " + path + "\r\nif exist " + path + " goto " + l + "\r\n";
}

class BatchInterpreterPosix : public ::testing::Test {
 protected:
  void Put(const std::string& relative, const std::string& bytes = "x") {
    TempDrives::WriteFile(drives.Host('C', relative), bytes);
  }
  std::vector<std::string> Left() { return TempDrives::Tree(drives.Root('C')); }
  int Run(const std::string& batch, const std::string& folder = kRuntime, std::uint32_t giveUpMs = 120000) {
    BatchInterpreter interpreter(fs, clock, giveUpMs, 10);
    return interpreter.Run(batch, folder);
  }

  TempDrives drives;
  PosixFileSystem fs;
  FakeClock clock;
};

TEST_F(BatchInterpreterPosix, TheUninstallBatchRemovesTheRuntimeAndTheEmptyFoldersAbove) {
  const std::string rt = std::string(kRuntime) + "\\";
  // The last line as the uninstaller writes it in either form.
  for (const ChainJoin join : {ChainJoin::kPipe, ChainJoin::kAmpersand}) {
    for (const char* name : {"install.exe", "defile", "deinst.pif", "deinst.bat"}) {
      Put(std::string("Apps/TUNOVAR/TUNOVAR/runtime/") + name);
    }
    Put("Apps/TUNOVAR/TUNOVAR/left.dat");
    TempDrives::MakeFolders(drives.Host('C', "Apps/TUNOVAR/TUNOVAR/Data"));
    const std::string batch =
        Block('d', rt + "install.exe") + Block('e', rt + "defile") + Block('f', "") + Block('h', "") +
        Block('k', "") + Block('n', "") + Block('l', "") +
        "del C:\\Apps\\TUNOVAR\\TUNOVAR\\left.dat\r\n"
        "rd C:\\Apps\\TUNOVAR\\TUNOVAR\\Data\r\n" +
        LastLineText("C:\\Apps\\TUNOVAR\\TUNOVAR\\", join);
    EXPECT_EQ(Run(batch), 0);
    EXPECT_EQ(Left(), std::vector<std::string>{"WINDOWS/"}) << JoinText(join);
  }
}

TEST_F(BatchInterpreterPosix, TheChainStopsHavingEffectAtAFolderThatStillHoldsSomething) {
  Put("Apps/shared.txt");
  Put("Apps/TUNOVAR/runtime/deinst.bat");
  const std::string batch = "del deinst.bat | cd .. | rd runtime | cd.. | rd TUNOVAR | cd.. | rd Apps";
  EXPECT_EQ(Run(batch, "C:\\Apps\\TUNOVAR\\runtime"), 0);
  EXPECT_EQ(Left(), (std::vector<std::string>{"Apps/", "Apps/shared.txt", "WINDOWS/"}));
}

TEST_F(BatchInterpreterPosix, PathsAreTakenWholeWithoutQuotesAndWithDoubledPercent) {
  Put("My Files/100%/a b.txt");
  Put("My Files/x goto y/keep.txt");
  Put("marker.txt");
  Put("odd (1)&x;y=z^,w.txt");
  Put(" lead.txt");
  Put("lead.txt");
  const std::string batch =
      "del   \" lead.txt\"  \r\n"
      "del \"C:\\My Files\\100%%\\a b.txt\"\r\n"
      "rd \"C:\\My Files\\100%%\"\r\n"
      "del \"C:\\odd (1)&x;y=z^,w.txt\"\r\n"
      "if exist \"C:\\My Files\\x goto y\" goto found\r\n"
      "goto end\r\n"
      ":found\r\n"
      "del C:\\marker.txt\r\n"
      ":end\r\n";
  EXPECT_EQ(Run(batch, "C:\\"), 0);
  EXPECT_EQ(Left(), (std::vector<std::string>{"My Files/", "My Files/x goto y/", "My Files/x goto y/keep.txt",
                                              "WINDOWS/", "lead.txt"}));
}

TEST_F(BatchInterpreterPosix, EmptyOperandsDoNothingAndUnknownCommandsArePassedOver) {
  Put("runtime/keep.txt");
  Put("other.txt");
  const std::string batch =
      "@ECHO OFF\n"             // a lone LF ends a line too
      "del \n"
      "del\n"
      "rd \n"
      "del C:\\runtime\n"         // a folder is no file
      "copy C:\\other.txt C:\\runtime\\x\n"
      "format c:\n"
      "IF EXIST  GOTO missing\n"  // an empty operand is false
      "If Exist c:\\OTHER.TXT GoTo Found\n"
      "del C:\\other.txt\n"
      ":FOUND\n";
  EXPECT_EQ(Run(batch, "C:\\runtime"), 0);
  EXPECT_EQ(Left(), (std::vector<std::string>{"WINDOWS/", "other.txt", "runtime/", "runtime/keep.txt"}));
}

TEST_F(BatchInterpreterPosix, RelativeAndRootedPathsFollowTheCurrentFolderWhichStaysOnItsDrive) {
  Put("top.txt");
  Put("a/inner.txt");
  const std::string batch =
      "cd..\r\n"
      "cd ..\r\n"               // at the root it stays there
      "del \\top.txt\r\n"
      "del a\\inner.txt | rd a | rd ..\\..\\WINDOWS";
  EXPECT_EQ(Run(batch, "C:\\a"), 0);
  EXPECT_EQ(Left(), std::vector<std::string>{});
}

TEST_F(BatchInterpreterPosix, NothingIsDeletedOrRemovedThroughALinkThatLeadsOutOfTheInstallation) {
  Put("Letters/letter.doc");
  TempDrives::MakeFolders(drives.Host('C', "Letters/empty"));
  Put("Apps/TUNOVAR/TUNOVAR/sub/a.txt");
  Put("Apps/TUNOVAR/TUNOVAR/runtime/deinst.bat");
  const auto link = [&](const std::string& to, const std::string& name) {
    ASSERT_EQ(symlink(drives.Host('C', to).c_str(), drives.Host('C', "Apps/TUNOVAR/TUNOVAR/" + name).c_str()), 0);
  };
  link("Letters", "letters");
  link("Letters/letter.doc", "file-link");
  link("Apps/TUNOVAR/TUNOVAR/sub", "own");
  const std::string dir = "C:\\Apps\\TUNOVAR\\TUNOVAR\\";
  EXPECT_EQ(Run("del " + dir + "letters\\letter.doc\r\nrd " + dir + "letters\\empty\r\n"
                "del " + dir + "file-link\r\ndel " + dir + "own\\a.txt\r\nrd " + dir + "letters\r\n"),
            0);
  EXPECT_EQ(Left(), (std::vector<std::string>{"Apps/", "Apps/TUNOVAR/", "Apps/TUNOVAR/TUNOVAR/",
                                              "Apps/TUNOVAR/TUNOVAR/own", "Apps/TUNOVAR/TUNOVAR/runtime/",
                                              "Apps/TUNOVAR/TUNOVAR/runtime/deinst.bat",
                                              "Apps/TUNOVAR/TUNOVAR/sub/", "Letters/", "Letters/empty/",
                                              "Letters/letter.doc", "WINDOWS/"}));
}

TEST_F(BatchInterpreterPosix, AJumpToNoLabelEndsTheBatch) {
  Put("stays.txt");
  EXPECT_EQ(Run("goto nowhere\r\ndel C:\\stays.txt", "C:\\"), 0);
  EXPECT_TRUE(TempDrives::Exists(drives.Host('C', "stays.txt")));
}

TEST_F(BatchInterpreterPosix, AJumpGoesToTheFirstLabelOfItsNameInAnyCase) {
  Put("one.txt");
  Put("two.txt");
  EXPECT_EQ(Run("goto X\r\n:x\r\ndel C:\\one.txt\r\ngoto end\r\n:X\r\ndel C:\\two.txt\r\n:end", "C:\\"), 0);
  EXPECT_EQ(Left(), (std::vector<std::string>{"WINDOWS/", "two.txt"}));
}

TEST_F(BatchInterpreterPosix, AWaitingBlockWaitsForAHeldFileAndGoesOnWhenItIsLetGo) {
  Put("Apps/runtime/defile");
  Put("Apps/runtime/after.txt");
  auto hold = fs.HoldOpen("C:\\Apps\\runtime\\defile");
  ASSERT_NE(hold, nullptr);
  // The holder lets go during the third pause.
  clock.onSleep = [&] {
    if (clock.sleeps.size() == 3) hold.reset();
  };
  EXPECT_EQ(Run(Block('e', "C:\\Apps\\runtime\\defile") + "del after.txt", "C:\\Apps\\runtime", 10000), 0);
  EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{10, 10, 10}));
  EXPECT_EQ(Left(), (std::vector<std::string>{"Apps/", "Apps/runtime/", "WINDOWS/"}));
}

TEST_F(BatchInterpreterPosix, AWaitingBatchWhoseFileANewInstallationDeletedStops) {
  Put("runtime/defile");
  Put("runtime/deinst.bat");
  auto hold = fs.HoldOpen("C:\\runtime\\defile");
  ASSERT_NE(hold, nullptr);
  // While the batch waits, a new installation ends it and places its files; then the old
  // uninstaller lets go.
  clock.onSleep = [&] {
    if (clock.sleeps.size() != 2) return;
    std::remove(drives.Host('C', "runtime/deinst.bat").c_str());
    Put("runtime/readme.txt", "new");
    Put("runtime/deinst.pif", "new");
    hold.reset();
  };
  const std::string host = drives.Host('C', "runtime/deinst.bat");
  BatchInterpreter interpreter(fs, clock, 10000, 10);
  interpreter.StopWhenOwnFileGoes("C:\\runtime\\deinst.bat", [&] { return TempDrives::Exists(host); });
  EXPECT_EQ(interpreter.Run(Block('e', "C:\\runtime\\defile") + "del readme.txt\r\ndel deinst.pif", "C:\\runtime"), 0);
  EXPECT_EQ(Left(), (std::vector<std::string>{"WINDOWS/", "runtime/", "runtime/defile", "runtime/deinst.pif",
                                              "runtime/readme.txt"}));
  // Its own deletion of its file does not stop it.
  Put("runtime/deinst.bat");
  EXPECT_EQ(interpreter.Run("del deinst.bat\r\ndel readme.txt", "C:\\runtime"), 0);
  EXPECT_FALSE(TempDrives::Exists(drives.Host('C', "runtime/readme.txt")));
}

TEST_F(BatchInterpreterPosix, AFileThatIsNeverLetGoIsGivenUpOnceMoreThanTheWaitingTimeHasPassed) {
  Put("runtime/defile");
  Put("runtime/after.txt");
  auto hold = fs.HoldOpen("C:\\runtime\\defile");
  ASSERT_NE(hold, nullptr);
  const std::string batch = Block('e', "C:\\runtime\\defile") + Block('f', "C:\\runtime\\defile") + "del after.txt";
  EXPECT_EQ(Run(batch, "C:\\runtime", 300), 2);
  // Each block: 30 pauses of 10 ms bring it to exactly 300 ms, which is not yet more; the
  // 31st brings it past.
  EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>(62, 10));
  EXPECT_EQ(Left(), (std::vector<std::string>{"WINDOWS/", "runtime/", "runtime/defile"}));
}

// The one test on the real clock: a block gives up no earlier than its waiting time.
TEST_F(BatchInterpreterPosix, OnTheRealClockAWaitingBlockGivesUpNoEarlierThanItsWaitingTime) {
  Put("runtime/defile");
  auto hold = fs.HoldOpen("C:\\runtime\\defile");
  ASSERT_NE(hold, nullptr);
  PosixClock real;
  BatchInterpreter interpreter(fs, real, 300, 10);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(interpreter.Run(Block('e', "C:\\runtime\\defile"), "C:\\runtime"), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
}

}  // namespace
}  // namespace tunovar::posix
