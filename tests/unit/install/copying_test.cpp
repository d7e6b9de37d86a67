// Folder creation, the newer-only copy, the block copy of the large data file, failed copies
// and the fatal file report, on the fake platform.
#include <gtest/gtest.h>

#include <algorithm>

#include "install/copying.h"
#include "installer/installer.h"
#include "support/installer_fixture.h"

namespace tunovar {
namespace {

using testing::Ends;

struct ProgressDraws : FormObserver {
  int count = 0;
  void OnChanged(Ctl control, Prop property) override {
    if (control == Ctl::Verlauf && property == Prop::kProgress) ++count;
  }
};

struct World : testing::InstallerOnCd {
  int SleepCalls(const std::string& which) {
    return static_cast<int>(std::count(fake.shell.calls.begin(), fake.shell.calls.end(), which));
  }
};

// A deterministic pattern, so that a shifted or repeated block shows.
std::string Pattern(std::size_t size) {
  std::string s(size, '\0');
  std::uint32_t x = 12345;
  for (char& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

constexpr LocalDateTime kNoon{2026, 3, 4, 12, 0, 0};

TEST(XFileCopy, NewerOnlyRuleToTheSecond) {
  struct Row {
    const char* name;
    LocalDateTime source;
    LocalDateTime dest;
    bool readOnly;
    bool replaced;
  };
  const Row rows[] = {
      {"same time: not copied again", kNoon, kNoon, false, false},
      {"source one second newer", {2026, 3, 4, 12, 0, 1}, kNoon, false, true},
      {"destination one second newer: kept", kNoon, {2026, 3, 4, 12, 0, 1}, false, false},
      {"read-only destination is replaced", {2026, 3, 4, 12, 0, 1}, kNoon, true, true},
      {"later time of day on an older date: kept", {2026, 3, 3, 23, 59, 59}, kNoon, false, false},
      {"newer date with an earlier time of day", {2026, 3, 5, 0, 0, 0}, kNoon, false, true},
  };
  for (const Row& r : rows) {
    World w;
    w.fake.fs.PutFile("D:\\src\\a.dll", "new bytes", r.source);
    w.fake.fs.PutFile("C:\\T\\a.dll", "old", r.dest);
    w.fake.fs.Find("C:\\T\\a.dll")->readOnly = r.readOnly;
    const bool result = w.installer.XFileCopy("D:\\src\\a.dll", "C:\\T\\a.dll");
    EXPECT_EQ(result, r.replaced) << r.name;
    EXPECT_EQ(w.fake.fs.Content("C:\\T\\a.dll"), r.replaced ? "new bytes" : "old") << r.name;
    if (r.replaced) {
      EXPECT_EQ(w.fake.fs.Find("C:\\T\\a.dll")->time, r.source) << r.name;
    }
    // Kept by the rule is no failure.
    EXPECT_TRUE(w.installer.report.FailedFiles.empty()) << r.name;
    EXPECT_TRUE(w.fake.console.Logged(r.replaced ? "Placed C:\\T\\a.dll" : "Kept C:\\T\\a.dll")) << r.name;
  }
}

TEST(SourceIsNewer, ADestinationWhoseTimeCannotBeReadIsNeverTakenAsNotOlder) {
  EXPECT_TRUE(SourceIsNewer(kNoon, std::nullopt));
  EXPECT_TRUE(SourceIsNewer(std::nullopt, std::nullopt));
  EXPECT_FALSE(SourceIsNewer(std::nullopt, kNoon));
}

TEST(XFileCopy, FailedCopiesAreReportedAndLeaveTheOldFile) {
  struct Row {
    const char* name;
    bool sourceMissing;
    bool sourceUnreadable;
    bool destUnwritable;
  };
  const Row rows[] = {
      {"source missing", true, false, false},
      {"read error", false, true, false},
      {"write error", false, false, true},
  };
  for (const Row& r : rows) {
    World w;
    if (!r.sourceMissing) w.fake.fs.PutFile("D:\\src\\a.dll", "new", {2026, 5, 1, 0, 0, 0});
    if (r.sourceUnreadable) w.fake.fs.failReads.insert("D:\\SRC\\A.DLL");
    if (r.destUnwritable) w.fake.fs.failWrites.insert("C:\\T\\A.DLL");
    w.fake.fs.PutFile("C:\\T\\a.dll", "old", kNoon);
    EXPECT_FALSE(w.installer.XFileCopy("D:\\src\\a.dll", "C:\\T\\a.dll")) << r.name;
    EXPECT_EQ(w.fake.fs.Content("C:\\T\\a.dll"), "old") << r.name;
    EXPECT_EQ(w.fake.fs.Tree("C:\\T"), (std::vector<std::string>{"C:\\T\\", "C:\\T\\a.dll"})) << r.name;
    EXPECT_EQ(w.installer.report.FailedFiles, StringList{"C:\\T\\a.dll"}) << r.name;
    EXPECT_TRUE(w.fake.console.Logged("Failed C:\\T\\a.dll")) << r.name;
  }
}

TEST(XFileCopy, EmptySourceGivesAnEmptyFileAndIsNoFailure) {
  World w;
  w.fake.fs.PutFile("D:\\src\\empty.txt", "");
  w.fake.fs.PutFolder("C:\\T");
  // The result stays false (the lengths are zero), but the file is placed.
  EXPECT_FALSE(w.installer.XFileCopy("D:\\src\\empty.txt", "C:\\T\\empty.txt"));
  ASSERT_TRUE(w.fake.fs.FileExists("C:\\T\\empty.txt"));
  EXPECT_EQ(w.fake.fs.Content("C:\\T\\empty.txt"), "");
  EXPECT_TRUE(w.installer.report.FailedFiles.empty());
}

TEST(CopyListedFiles, RecordsEveryEntryAndStepsByTheDestinationsLength) {
  World w;
  w.fake.fs.PutFile("D:\\TUNOVAR\\a.dll", std::string(100, 'a'), kNoon);
  // Newer destination: kept, and its 300 bytes count, not the source's 200.
  w.fake.fs.PutFile("D:\\TUNOVAR\\b.dll", std::string(200, 'b'), kNoon);
  w.fake.fs.PutFile("C:\\T\\b.dll", std::string(300, 'B'), {2026, 3, 4, 12, 0, 1});
  w.installer.progress.PercentPerByte = 0.01f;
  StringList record{"C:\\T\\"};
  w.installer.CopyListedFiles({"D:\\TUNOVAR\\a.dll", "D:\\TUNOVAR\\b.dll", "D:\\TUNOVAR\\gone.dll"},
                              {"C:\\T\\a.dll", "C:\\T\\b.dll", "C:\\T\\gone.dll"}, &record);
  EXPECT_EQ(record, (StringList{"C:\\T\\", "C:\\T\\a.dll", "C:\\T\\b.dll", "C:\\T\\gone.dll"}));
  // 1 + 3 percent; the missing source gives no step.
  EXPECT_FLOAT_EQ(w.installer.progress.ProgressValue, 4.0f);
  EXPECT_FALSE(w.fake.fs.Has("C:\\T\\gone.dll"));
  EXPECT_EQ(w.installer.report.FailedFiles, StringList{"C:\\T\\gone.dll"});
  // Events run and the time slice is given up before each file.
  EXPECT_EQ(w.fake.ui.pumps, 3);
  EXPECT_EQ(w.SleepCalls("Sleep 0"), 3);
}

TEST(CopyFileInBlocks, LargeSourceGivesExactly54074153BytesIn104Blocks) {
  World w;
  const std::string source = Pattern(static_cast<std::size_t>(kLargeFileLength) + 4096);
  w.fake.fs.PutFile("D:\\TUNOVAR\\pdata\\tuno.dat", source, kNoon);
  w.fake.fs.PutFolder("C:\\T\\TUNOVAR\\pdata");
  ProgressDraws draws;
  w.installer.Window().SetObserver(&draws);
  // A full block is 16 percent and the tail over 2: every step is a new whole percent.
  w.installer.progress.PercentPerByte = 1.0f / 32768.0f;
  StringList record;
  w.installer.CopyListedFiles({"D:\\TUNOVAR\\pdata\\tuno.dat"}, {"C:\\T\\TUNOVAR\\pdata\\tuno.dat"},
                              &record);
  const std::string& copied = w.fake.fs.Find("C:\\T\\TUNOVAR\\pdata\\tuno.dat")->bytes;
  EXPECT_EQ(copied.size(), static_cast<std::size_t>(kLargeFileLength));
  EXPECT_TRUE(copied == source.substr(0, copied.size()));
  EXPECT_EQ(w.fake.fs.writeCalls["C:\\T\\TUNOVAR\\PDATA\\TUNO.DAT"], 104);
  EXPECT_EQ(draws.count, 104);
  EXPECT_FLOAT_EQ(w.installer.progress.ProgressValue,
                  static_cast<float>(kLargeFileLength) / 32768.0f);
  // One event point for the file, one per full block, one before the tail.
  EXPECT_EQ(w.fake.ui.pumps, 1 + 103 + 1);
  EXPECT_EQ(w.SleepCalls("Sleep 0"), 1 + 103);
  EXPECT_EQ(w.SleepCalls("Sleep 5"), 1);
  EXPECT_EQ(record, StringList{"C:\\T\\TUNOVAR\\pdata\\tuno.dat"});
  EXPECT_TRUE(w.installer.report.FailedFiles.empty());
  w.installer.Window().SetObserver(nullptr);
}

TEST(CopyFileInBlocks, ShortSourceIsCopiedWholeAndALongerOldFileIsCut) {
  World w;
  const std::string source = Pattern(3 * 524288 + 17);
  w.fake.fs.PutFile("D:\\TUNOVAR\\pdata\\tuno.dat", source, kNoon);
  w.fake.fs.PutFile("C:\\T\\tuno.dat", std::string(static_cast<std::size_t>(kLargeFileLength), 'x'));
  w.installer.CopyFileInBlocks("D:\\TUNOVAR\\pdata\\tuno.dat", "C:\\T\\tuno.dat", kLargeFileLength,
                               kLargeFileBlockSize);
  EXPECT_TRUE(w.fake.fs.Content("C:\\T\\tuno.dat") == source);
  EXPECT_EQ(w.fake.fs.writeCalls["C:\\T\\TUNO.DAT"], 4);
  EXPECT_EQ(w.fake.fs.Find("C:\\T\\tuno.dat")->time, kNoon);
  EXPECT_TRUE(w.installer.report.FailedFiles.empty());
}

TEST(CopyFileInBlocks, MissingFiguresAreFilledAndALengthBelowTheBlockIsTheBlock) {
  struct Row {
    const char* name;
    std::optional<std::int64_t> length, blockSize;
    std::int64_t lengthAfter, blockSizeAfter;
    std::size_t copied;
    int writes;
  };
  const Row rows[] = {
      {"both absent: the source's length in 1024-byte blocks", std::nullopt, std::nullopt, 3000, 1024, 3000, 3},
      {"length below the block size", 100, 1024, 100, 100, 100, 1},
      {"length beyond 32 bits, short source", 6'000'000'000, 3'000'000'000, 6'000'000'000, 3'000'000'000, 3000, 1},
      {"negative length copies nothing", -5, 1024, -5, -5, 0, 0},
  };
  for (const Row& r : rows) {
    World w;
    w.fake.fs.PutFile("D:\\x.dat", Pattern(3000));
    w.fake.fs.PutFolder("C:\\T");
    const BlockCopyPlan plan = PlanBlockCopy(r.length, r.blockSize, 3000);
    EXPECT_EQ(plan.length, r.lengthAfter) << r.name;
    EXPECT_EQ(plan.blockSize, r.blockSizeAfter) << r.name;
    w.installer.CopyFileInBlocks("D:\\x.dat", "C:\\T\\x.dat", r.length, r.blockSize);
    EXPECT_EQ(w.fake.fs.Content("C:\\T\\x.dat"), Pattern(3000).substr(0, r.copied)) << r.name;
    EXPECT_EQ(w.fake.fs.writeCalls["C:\\T\\X.DAT"], r.writes) << r.name;
    EXPECT_TRUE(w.installer.report.FailedFiles.empty()) << r.name;
  }
}

TEST(CopyFileInBlocks, FailuresLeaveTheOldFileAndAreReported) {
  struct Row {
    const char* name;
    bool sourceMissing;
    bool failOpen;
    bool failRead;
    bool failWrite;
    const char* said;
  };
  const Row rows[] = {
      {"source missing", true, false, false, false, "the source is missing"},
      {"no permission to open", false, true, false, false, "the source cannot be read"},
      {"read error", false, false, true, false, "the source cannot be read"},
      {"write error", false, false, false, true, "the destination cannot be written"},
  };
  for (const Row& r : rows) {
    World w;
    if (!r.sourceMissing) w.fake.fs.PutFile("D:\\pdata.dat", Pattern(2'000'000));
    if (r.failOpen) w.fake.fs.failOpens.insert("D:\\PDATA.DAT");
    if (r.failRead) w.fake.fs.failReads.insert("D:\\PDATA.DAT");
    if (r.failWrite) w.fake.fs.failWrites.insert("C:\\T\\PDATA.DAT");
    w.fake.fs.PutFile("C:\\T\\pdata.dat", "old");
    w.installer.CopyFileInBlocks("D:\\pdata.dat", "C:\\T\\pdata.dat", kLargeFileLength, kLargeFileBlockSize);
    EXPECT_EQ(w.fake.fs.Content("C:\\T\\pdata.dat"), "old") << r.name;
    EXPECT_EQ(w.installer.report.FailedFiles, StringList{"C:\\T\\pdata.dat"}) << r.name;
    EXPECT_TRUE(w.fake.console.Logged(std::string("Failed C:\\T\\pdata.dat: ") + r.said)) << r.name;
  }
}

TEST(CopyFileInBlocks, CancelBetweenBlocksLeavesTheOldFile) {
  World w;
  w.installer.Window().SetReady(true);
  w.fake.fs.PutFile("D:\\pdata.dat", Pattern(5 * 524288));
  w.fake.fs.PutFile("C:\\T\\pdata.dat", "old");
  w.fake.ui.onPump = [&] {
    if (w.fake.ui.pumps == 3) w.installer.Deliver(Ctl::Label_Cancel, Event::kClick);
  };
  EXPECT_EQ(Ends([&] {
              w.installer.CopyFileInBlocks("D:\\pdata.dat", "C:\\T\\pdata.dat", kLargeFileLength,
                                           kLargeFileBlockSize);
            }),
            kExitCancelled);
  EXPECT_EQ(w.fake.fs.writeCalls["C:\\T\\PDATA.DAT"], 2);
  EXPECT_EQ(w.fake.fs.Content("C:\\T\\pdata.dat"), "old");
}

TEST(CreateFolderPath, CreatesEachMissingFolder) {
  World w;
  w.fake.fs.PutFolder("C:\\A");
  w.installer.CreateFolderPath("C:\\A\\B\\C");
  EXPECT_EQ(w.fake.fs.journal, (std::vector<std::string>{"CreateFolder C:\\A\\B\\", "CreateFolder C:\\A\\B\\C\\"}));
  EXPECT_TRUE(w.fake.console.Logged("Created folder C:\\A\\B\\C\\"));

  w.installer.CreateFolderPath("C:\\A\\B\\");  // found at once
  EXPECT_EQ(w.fake.fs.journal.size(), 2u);
}

TEST(LeavesTargetFolder, RefusesEveryWayOut) {
  struct Row {
    const char* line;
    bool leaves;
  };
  const Row rows[] = {
      {"TUNOVAR\\tunOVAR.exe", false},
      {"TUNOVAR\\", false},
      // Placed, it could not be removed: the uninstaller passes such entries over.
      {"TUNOVAR\\.\\x", true},
      {"TUNOVAR\\ \\x", true},
      {"TUNOVAR\\..x\\y", false},
      {"TUNOVAR/../../x", true},
      {"TUNOVAR\\.. \\x", true},
      {"TUNOVAR\\...\\x", true},
      {"TUNOVAR\\C:x", true},
      {"/etc/passwd", true},
      // A device, not a file, with or without an extension, in any component.
      {"TUNOVAR\\con.txt", true},
      {"TUNOVAR\\AUX.dat", true},
      {"TUNOVAR\\COM1", true},
      {"TUNOVAR\\lpt9\\x.txt", true},
      {"TUNOVAR\\NUL .txt", true},
      {"TUNOVAR\\conin$", true},
      {"TUNOVAR\\COM\xB9", true},
      {"TUNOVAR\\console.txt", false},
      {"TUNOVAR\\COM10", false},
      {"TUNOVAR\\xcon.txt", false},
  };
  for (const Row& r : rows) EXPECT_EQ(LeavesTargetFolder(r.line), r.leaves) << r.line;
}

}  // namespace
}  // namespace tunovar
