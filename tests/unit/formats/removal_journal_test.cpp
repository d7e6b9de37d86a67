// The removal journal: what it gives the uninstaller for the lines it holds, and when its writer
// puts it on the disk.
#include "formats/removal_journal.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace tunovar {
namespace {

const std::string kT = "C:\\T\\";
const std::string kP = kT + "TUNOVAR\\";

// What "defile" holds after a run that placed these folders and files.
std::string DefileOf(std::int32_t language, const StringList& folders, const StringList& files) {
  StringList placed = folders;
  placed.Append(files);
  return RemovalListText(language, placed, kT) + FolderEntriesText(folders);
}

TEST(RemovalListOfJournal, GivesWhatDefileWouldHoldForWhatItNames) {
  const std::string header = RemovalJournalStart(2, kT, {}, {});
  const std::string folders = "#" + kP + "\r\n#" + kP + "runtime\\\r\n";
  const std::string files = kP + "a.exe\r\n" + kP + "runtime\\deinst.pif\r\n" + kP + "runtime\\deinstal.exe\r\n";
  struct Row {
    const char* name;
    std::string journal;
    std::optional<std::string> list;  // nullopt: names nothing
    std::int32_t code = 0;
  };
  const Row rows[] = {
      {"nothing written", "", std::nullopt},
      {"a header cut off", header.substr(0, header.size() - 1), std::nullopt},
      {"the header alone", header, DefileOf(2, {}, {})},
      {"folders, then files (the program information file is never listed)", header + folders + files,
       DefileOf(2, {kP, kP + "runtime\\"}, {kP + "a.exe", kP + "runtime\\deinst.pif", kP + "runtime\\deinstal.exe"})},
      {"a last line without its end names nothing", header + folders + kP + "a.exe\r\n" + kP + "b.ex",
       DefileOf(2, {kP, kP + "runtime\\"}, {kP + "a.exe"})},
      {"a language below 0 is written as defile writes it", RemovalJournalStart(-1, kT, {}, {}) + kP + "a\r\n",
       DefileOf(-1, {}, {kP + "a"})},
      {"a language that is no number", "x\r\n" + kT + "\r\n", std::nullopt, 1},
      {"a target without its final backslash", " 2 \r\nC:\\T\r\n", std::nullopt, 1},
  };
  for (const Row& r : rows) {
    const JournalAsList got = RemovalListOfJournal(r.journal);
    EXPECT_EQ(got.code, r.code) << r.name;
    EXPECT_EQ(got.text, r.list) << r.name;
  }
}

TEST(RemovalListOfJournal, CarriedEntriesFollowTheirKindAndAddOnlyWhatTheRunDoesNotName) {
  // An earlier installation's list: its fixed files, a file this run also places (in other
  // letter case), one it does not, its folders.
  const StringList carried{kP + "tunodoc.gid", kP + "burn.lst", kP + "A.EXE", kP + "old.dll", kP, "#" + kP + "old\\",
                           "#" + kP};
  const std::string journal = RemovalJournalStart(1, kT, carried, {kP}) + kP + "a.exe\r\n";
  EXPECT_EQ(RemovalListOfJournal(journal).text,
            " 1 \r\n" + kP + "tunodoc.gid\r\n" + kP + "burn.lst\r\n" + kP + "a.exe\r\n" + kP + "\r\n" + kP +
                "old.dll\r\n#" + kP + "\r\n#" + kP + "old\\\r\n");
}

TEST(ReadRemovalJournal, ADefileCutShortBesideItHidesNothingAndAWholeOneAddsNothing) {
  testing::FakeFileSystem fs;
  const std::string journal = kP + "runtime\\defile.jnl";
  const std::string defile = kP + "runtime\\defile";
  fs.PutFile(journal, RemovalJournalStart(1, kT, {}, {kP}) + kP + "a.exe\r\n" + kP + "b.exe\r\n");
  const std::string whole = DefileOf(1, {kP}, {kP + "a.exe", kP + "b.exe"});
  // Cut in the middle of a line, after a line, and whole; missing.
  for (const std::size_t cut : {std::size_t{20}, whole.size() - 3, whole.find("#"), whole.size()}) {
    fs.PutFile(defile, whole.substr(0, cut));
    EXPECT_EQ(ReadRemovalJournal(fs, journal, defile).text, whole) << cut;
  }
  ASSERT_EQ(fs.DeleteFile(defile), FsStatus::kOk);
  EXPECT_EQ(ReadRemovalJournal(fs, journal, defile).text, whole);
  EXPECT_EQ(ReadRemovalJournal(fs, defile, journal).text, std::nullopt);
}

struct JournalWorld {
  testing::FakePlatform fake;
  const std::string path = kP + "runtime\\defile.jnl";
  JournalWorld() { fake.fs.PutFolder(kP + "runtime"); }
  int Syncs() { return fake.fs.syncs[testing::FakeFileSystem::Key(path)]; }
};

TEST(RemovalJournal, IsOnTheDiskWhenBegunAndAboutASecondAfterAnEntryAtTheLatest) {
  JournalWorld w;
  w.fake.fs.PutFile(w.path, "an earlier run's journal");
  const auto journal =
      RemovalJournal::Begin(w.fake.fs, w.fake.clock, w.path, RemovalJournalStart(0, kT, {"x"}, {kP}));
  ASSERT_NE(journal, nullptr);
  EXPECT_EQ(w.fake.fs.Content(w.path), " 0 \r\n" + kT + "\r\n+x\r\n#" + kP + "\r\n");
  EXPECT_EQ(w.Syncs(), 1);
  // Each entry is in the file when Note returns; the disk is asked again only once a second
  // has passed since it last was.
  const std::uint32_t rows[] = {0, 999, 1, 0, 2500};  // ms before each entry
  const int syncsAfter[] = {1, 1, 2, 2, 3};
  for (std::size_t k = 0; k < std::size(rows); ++k) {
    w.fake.clock.now += rows[k];
    EXPECT_TRUE(journal->Note(kP + "f" + std::to_string(k), false));
    EXPECT_EQ(w.Syncs(), syncsAfter[k]) << k;
  }
  EXPECT_NE(w.fake.fs.Content(w.path).find(kP + "f4\r\n"), std::string::npos);
  // At the copying's pauses: an entry that waits is put there once its second is up; with
  // none waiting the disk is not asked.
  EXPECT_TRUE(journal->Note(kP + "big.dat", false));
  w.fake.clock.now += 999;
  journal->SyncIfDue();
  EXPECT_EQ(w.Syncs(), 3);
  w.fake.clock.now += 1;
  journal->SyncIfDue();
  EXPECT_EQ(w.Syncs(), 4);
  w.fake.clock.now += 5000;
  journal->SyncIfDue();
  EXPECT_EQ(w.Syncs(), 4);
}

TEST(RemovalJournal, AfterAWriteFailsNothingMoreIsAppended) {
  JournalWorld w;
  const std::string start = RemovalJournalStart(0, kT, {}, {});
  const auto journal = RemovalJournal::Begin(w.fake.fs, w.fake.clock, w.path, start);
  ASSERT_NE(journal, nullptr);
  // The disk fills in the middle of the second entry: its cut line would run into the next.
  w.fake.fs.diskFullAt[testing::FakeFileSystem::Key(w.path)] = start.size() + 12;
  EXPECT_TRUE(journal->Note("C:\\T\\a", false));
  EXPECT_FALSE(journal->Note("C:\\T\\bbbbbbbb", false));
  w.fake.fs.diskFullAt.clear();
  EXPECT_FALSE(journal->Note("C:\\T\\c", false));
  EXPECT_TRUE(journal->Failed());
  EXPECT_EQ(RemovalListOfJournal(w.fake.fs.Content(w.path)).text, DefileOf(0, {}, {"C:\\T\\a"}));
}

}  // namespace
}  // namespace tunovar
