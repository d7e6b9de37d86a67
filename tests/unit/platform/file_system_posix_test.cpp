// Tests of the POSIX file system over temporary drive folders: case, names, drives, attributes,
// times, replacements, holds and listings.
#include "platform/posix/file_system_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <functional>

#include <gtest/gtest.h>

#include "support/temp_drives.h"

namespace tunovar::posix {
namespace {

using testing::TempDrives;

// Runs change in a process of its own and waits for its end: a change by another program.
void InOtherProcess(const std::function<void()>& change) {
  const pid_t child = fork();
  if (child == 0) {
    change();
    _exit(0);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

class FileSystemPosix : public ::testing::Test {
 protected:
  TempDrives drives{"CD"};
  PosixFileSystem fs;  // made after the drives, from TUNOVAR_DRIVES
};

TEST_F(FileSystemPosix, LookupsIgnoreLetterCaseComponentByComponent) {
  TempDrives::WriteFile(drives.Host('D', "tunovar/PDATA/1_TEXTE.TXT"), "text");
  const std::string path = "D:\\TUNOVAR\\pdata\\1_texte.txt";
  EXPECT_TRUE(fs.FileExists(path));
  EXPECT_TRUE(fs.EntryExists(path));
  EXPECT_FALSE(fs.FolderExists(path));
  EXPECT_TRUE(fs.FolderExists("d:\\Tunovar\\Pdata\\"));
  EXPECT_TRUE(fs.EntryExists("D:\\TUNOVAR\\PDATA\\"));
  EXPECT_FALSE(fs.EntryExists(path + "\\"));  // a final "\" names a folder
  EXPECT_FALSE(fs.FileExists(path + "\\"));
  EXPECT_EQ(fs.ReadWholeFile(path), "text");
  EXPECT_EQ(fs.FileLength(path), 4u);
  EXPECT_EQ(fs.OnDiskSpelling("d:\\TUNOVAR\\pdata\\1_texte.txt"), "d:\\tunovar\\PDATA\\1_TEXTE.TXT");
  EXPECT_EQ(fs.OnDiskSpelling("D:\\TUNOVAR\\pdata\\"), "D:\\tunovar\\PDATA\\");
  EXPECT_FALSE(fs.OnDiskSpelling("D:\\TUNOVAR\\pdata\\missing.txt"));
  EXPECT_FALSE(fs.FileExists("D:\\TUNOVAR\\pdata\\1_texte.txt\\deeper"));
}

TEST_F(FileSystemPosix, AnswersInAKeptFolderAreThoseOfAFreshLook) {
  TempDrives::WriteFile(drives.Host('C', "Apps/Prog/Readme.TXT"), "12345");
  TempDrives::WriteFile(drives.Host('C', "Apps/Prog/\xc3\xa4rger.txt"), "1");  // "\xe4rger.txt" in Windows-1252
  TempDrives::MakeFolders(drives.Host('C', "Apps/Prog/Sub"));
  ASSERT_EQ(symlink("Sub", drives.Host('C', "Apps/Prog/sublink").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", drives.Host('C', "Apps/Prog/dangling").c_str()), 0);
  const char* const names[] = {"Readme.TXT", "README.txt", "readme.txt\\", "\xe4RGER.TXT", "Sub", "SUB\\", "sublink",
                               "Sublink\\", "dangling", "missing.txt", ".", "..", "a/b", "bad|name", "", "Sub\\.."};
  // Looked up once so that the folder is kept: every later path below it takes the short way.
  ASSERT_TRUE(fs.FolderExists("C:\\Apps\\Prog\\"));
  ASSERT_TRUE(fs.FileExists("C:\\Apps\\Prog\\Readme.TXT"));
  const auto text = [](const auto& v) { return v ? ::testing::PrintToString(*v) : std::string("none"); };
  using Question = std::function<std::string(PosixFileSystem&, const std::string&)>;
  const std::pair<const char*, Question> questions[] = {
      {"FileExists", [](PosixFileSystem& f, const std::string& p) { return std::to_string(f.FileExists(p)); }},
      {"EntryExists", [](PosixFileSystem& f, const std::string& p) { return std::to_string(f.EntryExists(p)); }},
      {"FolderExists", [](PosixFileSystem& f, const std::string& p) { return std::to_string(f.FolderExists(p)); }},
      {"FileLength", [&](PosixFileSystem& f, const std::string& p) { return text(f.FileLength(p)); }},
      {"OnDiskSpelling", [&](PosixFileSystem& f, const std::string& p) { return text(f.OnDiskSpelling(p)); }},
      {"RealLocation", [&](PosixFileSystem& f, const std::string& p) { return text(f.RealLocation(p)); }},
      {"HostPath", [&](PosixFileSystem& f, const std::string& p) { return text(f.HostPath(p)); }},
  };
  for (const char* name : names) {
    const std::string path = std::string("C:\\Apps\\Prog\\") + name;
    for (const auto& [question, ask] : questions) {
      SCOPED_TRACE(std::string(question) + " " + path);
      PosixFileSystem fresh;  // one question only: nothing kept
      const std::string expected = ask(fresh, path);
      EXPECT_EQ(ask(fs, path), expected);
      EXPECT_EQ(ask(fs, path), expected);  // again, from the kept answers
    }
  }
}

TEST_F(FileSystemPosix, NamesAddedOrRemovedFromOutsideAreSeenAtOnce) {
  TempDrives::MakeFolders(drives.Host('C', "dir"));
  EXPECT_FALSE(fs.FileExists("C:\\DIR\\FOO.TXT"));  // the folder's names are read here
  TempDrives::WriteFile(drives.Host('C', "dir/foo.txt"), "1");
  EXPECT_TRUE(fs.FileExists("C:\\DIR\\FOO.TXT"));
  EXPECT_EQ(fs.CreateFolder("C:\\dir\\Sub"), FsStatus::kOk);  // a change of its own
  EXPECT_TRUE(fs.FolderExists("C:\\DIR\\SUB"));
  ASSERT_EQ(unlink(drives.Host('C', "dir/foo.txt").c_str()), 0);
  EXPECT_FALSE(fs.FileExists("C:\\DIR\\FOO.TXT"));
  TempDrives::WriteFile(drives.Host('C', "dir/Foo.txt"), "2");
  EXPECT_EQ(fs.ReadWholeFile("C:\\dir\\FOO.txt"), "2");
  EXPECT_EQ(fs.DeleteFile("C:\\DIR\\FOO.TXT"), FsStatus::kOk);
  EXPECT_FALSE(fs.FileExists("C:\\dir\\foo.txt"));
}

TEST_F(FileSystemPosix, AnswersStayRightWhileTheFilesOfSeveralFoldersAreDeletedInTurn) {
  // As the uninstaller goes: each file looked at, deleted and looked at again, the folders in
  // turn; every other file is then asked about again.
  constexpr int kFiles = 12;
  const auto name = [](int i) { return "d" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".dat"; };
  const auto path = [](int i) { return "C:\\Inst\\D" + std::to_string(i % 3) + "\\F" + std::to_string(i) + ".DAT"; };
  for (int i = 0; i < kFiles; ++i) TempDrives::WriteFile(drives.Host('C', "Inst/" + name(i)), std::string(i + 1, 'x'));
  for (int i = 0; i < kFiles; ++i) {
    ASSERT_EQ(fs.FileLength(path(i)), i + 1u);
    ASSERT_EQ(fs.DeleteFile(path(i)), FsStatus::kOk);
    EXPECT_FALSE(fs.FileExists(path(i)));
    for (int j = i + 1; j < kFiles; ++j) {
      EXPECT_EQ(fs.HostPath(path(j)), drives.Host('C', "Inst/" + name(j))) << path(j);
      EXPECT_EQ(fs.FileLength(path(j)), j + 1u) << path(j);
    }
  }
}

TEST_F(FileSystemPosix, NewEntriesTakeTheGivenCaseInsideExistingFolders) {
  TempDrives::MakeFolders(drives.Host('C', "apps"));
  EXPECT_EQ(fs.CreateFolder("C:\\APPS"), FsStatus::kExists);
  EXPECT_EQ(fs.CreateFolder("C:\\Apps\\TunoVar\\"), FsStatus::kOk);
  EXPECT_EQ(fs.CreateFolder("C:\\APPS\\none\\deeper"), FsStatus::kNotFound);  // parent missing
  auto writer = fs.OpenForWriting("C:\\APPS\\TUNOVAR\\New.TXT", WriteMode::kReplace);
  ASSERT_NE(writer, nullptr);
  EXPECT_TRUE(writer->Write("a\r\n"));
  writer.reset();
  auto appender = fs.OpenForWriting("c:\\apps\\tunovar\\new.txt", WriteMode::kAppend);
  ASSERT_NE(appender, nullptr);
  EXPECT_TRUE(appender->Write("b\r\n"));
  appender.reset();
  EXPECT_EQ(TempDrives::Tree(drives.Root('C')),
            (std::vector<std::string>{"WINDOWS/", "apps/", "apps/TunoVar/", "apps/TunoVar/New.TXT"}));
  EXPECT_EQ(TempDrives::ReadFile(drives.Host('C', "apps/TunoVar/New.TXT")), "a\r\nb\r\n");
}

TEST_F(FileSystemPosix, NoPathLeavesItsDriveFolder) {
  TempDrives::WriteFile(drives.Host('D', "secret.txt"), "d");
  TempDrives::WriteFile(drives.Base() + "/outside.txt", "o");
  EXPECT_FALSE(fs.FileExists("C:\\..\\drive_d\\secret.txt"));
  EXPECT_FALSE(fs.FileExists("C:\\..\\outside.txt"));
  auto writer = fs.OpenForWriting("C:\\..\\..\\..\\escape.txt", WriteMode::kReplace);
  ASSERT_NE(writer, nullptr);
  writer.reset();
  EXPECT_TRUE(TempDrives::Exists(drives.Host('C', "escape.txt")));
  EXPECT_EQ(fs.CreateFolder("C:\\..\\made"), FsStatus::kOk);
  EXPECT_TRUE(TempDrives::Exists(drives.Host('C', "made")));
  EXPECT_EQ(fs.DeleteFile("C:\\..\\outside.txt"), FsStatus::kNotFound);
  EXPECT_TRUE(TempDrives::Exists(drives.Base() + "/outside.txt"));
}

TEST_F(FileSystemPosix, NothingIsChangedThroughALinkThatLeadsOutOfTheDrive) {
  TempDrives::WriteFile(drives.Base() + "/outside/victim.txt", "keep");
  ASSERT_EQ(symlink((drives.Base() + "/outside").c_str(), drives.Host('C', "link").c_str()), 0);
  ASSERT_EQ(symlink((drives.Base() + "/outside/victim.txt").c_str(), drives.Host('C', "file-link").c_str()), 0);
  // Reading through it is allowed: a staged CD may hold links.
  EXPECT_EQ(fs.ReadWholeFile("C:\\link\\victim.txt"), "keep");
  EXPECT_EQ(fs.DeleteFile("C:\\LINK\\victim.txt"), FsStatus::kAccessDenied);
  EXPECT_EQ(fs.CreateFolder("C:\\link\\new"), FsStatus::kAccessDenied);
  EXPECT_EQ(fs.OpenForWriting("C:\\link\\victim.txt", WriteMode::kReplace), nullptr);
  EXPECT_EQ(fs.OpenForWriting("C:\\file-link", WriteMode::kAppend), nullptr);
  EXPECT_EQ(fs.CreateReplacement("C:\\link\\victim.txt"), nullptr);
  TempDrives::SetMode(drives.Base() + "/outside/victim.txt", 0444);
  EXPECT_EQ(fs.ClearAttributes("C:\\file-link"), FsStatus::kAccessDenied);
  EXPECT_EQ(TempDrives::ModeOf(drives.Base() + "/outside/victim.txt"), 0444u);
  EXPECT_EQ(TempDrives::ReadFile(drives.Base() + "/outside/victim.txt"), "keep");
  // Deleting the link itself removes the link, not what it leads to.
  EXPECT_EQ(fs.DeleteFile("C:\\file-link"), FsStatus::kOk);
  EXPECT_TRUE(TempDrives::Exists(drives.Base() + "/outside/victim.txt"));
}

TEST_F(FileSystemPosix, ARealLocationResolvesTheLinksOnTheWayButNeverTheLastName) {
  TempDrives::WriteFile(drives.Base() + "/outside/victim.txt", "keep");
  TempDrives::WriteFile(drives.Host('C', "Apps/real/a.txt"), "a");
  TempDrives::MakeFolders(drives.Host('D', "Docs"));
  ASSERT_EQ(symlink((drives.Base() + "/outside").c_str(), drives.Host('C', "Apps/out").c_str()), 0);
  ASSERT_EQ(symlink(drives.Host('C', "Apps/real").c_str(), drives.Host('C', "Apps/same").c_str()), 0);
  ASSERT_EQ(symlink(drives.Host('D', "Docs").c_str(), drives.Host('C', "Apps/docs").c_str()), 0);
  ASSERT_EQ(symlink("../real", drives.Host('C', "Apps/real/up").c_str()), 0);  // relative, in a loop
  struct Row {
    const char* name;
    const char* path;
    std::optional<std::string> real;
  };
  const std::string outside = *DriveMap::FromEnvironment().ToWindows(*RealPath(drives.Base() + "/outside"));
  const Row rows[] = {
      {"no link on the way: as given", "C:\\apps\\REAL\\a.txt", "C:\\apps\\REAL\\a.txt"},
      {"a missing name, no link", "C:\\Apps\\gone\\x.txt", "C:\\Apps\\gone\\x.txt"},
      {"the last name is a link: itself", "C:\\Apps\\out", "C:\\Apps\\out"},
      {"a link inside the drive", "C:\\Apps\\same\\a.txt", "C:\\Apps\\real\\a.txt"},
      {"a link to another drive", "C:\\Apps\\docs\\x.doc", "D:\\Docs\\x.doc"},
      {"a link out of every drive but Z:", "C:\\Apps\\out\\victim.txt", outside + "\\victim.txt"},
      {"a folder named whole", "C:\\Apps\\out\\", outside + "\\"},
      {"a relative link in a loop", "C:\\Apps\\real\\up\\up\\a.txt", "C:\\Apps\\real\\a.txt"},
      {"a missing folder behind a link", "C:\\Apps\\out\\gone\\x.txt", std::nullopt},
  };
  for (const Row& r : rows) EXPECT_EQ(fs.RealLocation(r.path), r.real) << r.name;

  // Neither the attribute change nor the removal of a folder link follows the link.
  TempDrives::SetMode(drives.Base() + "/outside/victim.txt", 0444);
  ASSERT_EQ(symlink((drives.Base() + "/outside/victim.txt").c_str(), drives.Host('C', "Apps/real/f").c_str()), 0);
  EXPECT_EQ(fs.ClearAttributes("C:\\Apps\\real\\f"), FsStatus::kAccessDenied);
  EXPECT_EQ(TempDrives::ModeOf(drives.Base() + "/outside/victim.txt"), 0444u);
  EXPECT_EQ(fs.RemoveFolder("C:\\Apps\\out\\"), FsStatus::kOk);
  EXPECT_FALSE(fs.EntryExists("C:\\Apps\\out"));
  EXPECT_EQ(TempDrives::ReadFile(drives.Base() + "/outside/victim.txt"), "keep");
}

TEST_F(FileSystemPosix, AKilledRunsTemporaryFilesGoWhereTheNextRunWritesOrRemovesAFolder) {
  for (const char* folder : {"A", "B"}) {
    TempDrives::WriteFile(drives.Host('C', std::string(folder) + "/.tunovar-new-Xy12Ab"), "half a copy");
  }
  TempDrives::WriteFile(drives.Host('C', "A/.tunovar-new-live"), "another run writes it");
  TempDrives::WriteFile(drives.Host('C', "A/.tunovar-kept"), "not ours");
  const int live = open(drives.Host('C', "A/.tunovar-new-live").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(live, 0);
  ASSERT_EQ(flock(live, LOCK_EX), 0);

  auto out = fs.CreateReplacement("C:\\A\\new.txt");
  ASSERT_NE(out, nullptr);
  ASSERT_TRUE(out->Write("n", 1));
  ASSERT_EQ(out->Commit(""), FsStatus::kOk);
  EXPECT_EQ(TempDrives::Tree(drives.Host('C', "A")),
            (std::vector<std::string>{".tunovar-kept", ".tunovar-new-live", "new.txt"}));
  close(live);
  // A folder that holds nothing else is removed with its leftover.
  EXPECT_EQ(fs.RemoveFolder("C:\\B"), FsStatus::kOk);
  EXPECT_FALSE(TempDrives::Exists(drives.Host('C', "B")));
}

TEST_F(FileSystemPosix, Windows1252NamesAreUtf8OnDisk) {
  EXPECT_EQ(fs.CreateFolder("C:\\M\xFCsik"), FsStatus::kOk);
  EXPECT_TRUE(TempDrives::Exists(drives.Host('C', "M\xC3\xBCsik")));
  auto writer = fs.OpenForWriting("C:\\M\xDCSIK\\\x80uro \xC4rger.txt", WriteMode::kReplace);
  ASSERT_NE(writer, nullptr);
  writer.reset();
  EXPECT_TRUE(TempDrives::Exists(drives.Host('C', "M\xC3\xBCsik/\xE2\x82\xAC" "uro \xC3\x84rger.txt")));
  TempDrives::WriteFile(drives.Host('C', "M\xC3\xBCsik/\xE6\x97\xA5.txt"), "");  // no Windows spelling
  EXPECT_EQ(fs.ListFiles("C:\\m\xFCsik\\*"), std::vector<std::string>{"\x80uro \xC4rger.txt"});
  EXPECT_TRUE(fs.FileExists("C:\\m\xFCsik\\\x80URO \xE4RGER.TXT"));  // Latin-1 letters ignore case too
  // An old medium with Latin-1 bytes for names is read as it is.
  TempDrives::WriteFile(drives.Host('D', "caf\xE9.txt"), "x");
  EXPECT_TRUE(fs.FileExists("D:\\CAF\xC9.TXT"));
}

TEST_F(FileSystemPosix, ReadOnlyIsAMissingOwnerWriteBitThatClearingRestores) {
  TempDrives::WriteFile(drives.Host('C', "ro.txt"), "old");
  TempDrives::SetMode(drives.Host('C', "ro.txt"), 0444);
  EXPECT_EQ(fs.DeleteFile("C:\\RO.TXT"), FsStatus::kAccessDenied);
  EXPECT_EQ(fs.OpenForWriting("C:\\ro.txt", WriteMode::kAppend), nullptr);
  EXPECT_EQ(fs.ClearAttributes("C:\\ro.txt"), FsStatus::kOk);
  EXPECT_EQ(TempDrives::ModeOf(drives.Host('C', "ro.txt")), 0644u);
  EXPECT_EQ(fs.DeleteFile("C:\\ro.txt"), FsStatus::kOk);
  EXPECT_FALSE(TempDrives::Exists(drives.Host('C', "ro.txt")));
  EXPECT_EQ(fs.ClearAttributes("C:\\ro.txt"), FsStatus::kNotFound);
}

TEST_F(FileSystemPosix, LastWriteTimeIsLocalTime) {
  const char* oldTz = std::getenv("TZ");
  const std::optional<std::string> saved = oldTz ? std::optional<std::string>(oldTz) : std::nullopt;
  setenv("TZ", "TST-5", 1);  // five hours east of UTC
  tzset();
  TempDrives::WriteFile(drives.Host('C', "t.txt"), "");
  TempDrives::SetTime(drives.Host('C', "t.txt"), 1700000000);  // 2023-11-14 22:13:20 UTC
  const auto time = fs.LastWriteTime("C:\\T.TXT");
  if (saved) {
    setenv("TZ", saved->c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  EXPECT_EQ(time, (LocalDateTime{2023, 11, 15, 3, 13, 20}));
  EXPECT_FALSE(fs.LastWriteTime("C:\\missing"));
}

TEST_F(FileSystemPosix, AnAbandonedReplacementLeavesTheOldFileAndNoTemporary) {
  TempDrives::WriteFile(drives.Host('C', "dest.bin"), "old");
  {
    auto replacement = fs.CreateReplacement("C:\\DEST.BIN");
    ASSERT_NE(replacement, nullptr);
    EXPECT_TRUE(replacement->Write("new bytes", 9));
  }
  EXPECT_EQ(TempDrives::ReadFile(drives.Host('C', "dest.bin")), "old");
  EXPECT_EQ(TempDrives::Tree(drives.Root('C')), (std::vector<std::string>{"WINDOWS/", "dest.bin"}));
  EXPECT_EQ(fs.CreateReplacement("C:\\missing\\x.bin"), nullptr);
  EXPECT_EQ(fs.CreateReplacement("C:\\WINDOWS"), nullptr);  // a folder is not replaced
  // A new file abandoned leaves nothing; one committed after another program made the
  // destination meanwhile replaces it whole.
  (void)fs.CreateReplacement("C:\\new.bin");
  auto late = fs.CreateReplacement("C:\\late.bin");
  ASSERT_NE(late, nullptr);
  EXPECT_TRUE(late->Write("mine", 4));
  InOtherProcess([&] { TempDrives::WriteFile(drives.Host('C', "late.bin"), "theirs"); });
  EXPECT_EQ(late->Commit(""), FsStatus::kOk);
  EXPECT_EQ(TempDrives::ReadFile(drives.Host('C', "late.bin")), "mine");
  EXPECT_EQ(TempDrives::Tree(drives.Root('C')), (std::vector<std::string>{"WINDOWS/", "dest.bin", "late.bin"}));
}

TEST_F(FileSystemPosix, CommitTakesTheSourcesTimeAndPermissionsAndReplacesReadOnly) {
  TempDrives::WriteFile(drives.Host('D', "src/tool"), "program");
  TempDrives::SetMode(drives.Host('D', "src/tool"), 0755);
  TempDrives::SetTime(drives.Host('D', "src/tool"), 1000000000);
  TempDrives::WriteFile(drives.Host('C', "Tool"), "old version");
  TempDrives::SetMode(drives.Host('C', "Tool"), 0444);
  auto replacement = fs.CreateReplacement("C:\\tool");
  ASSERT_NE(replacement, nullptr);
  EXPECT_TRUE(replacement->Write("program", 7));
  EXPECT_EQ(replacement->Commit("D:\\SRC\\TOOL"), FsStatus::kOk);
  replacement.reset();
  EXPECT_EQ(TempDrives::ReadFile(drives.Host('C', "Tool")), "program");  // the on-disk name kept
  EXPECT_EQ(TempDrives::ModeOf(drives.Host('C', "Tool")), 0755u);
  EXPECT_EQ(TempDrives::TimeOf(drives.Host('C', "Tool")), 1000000000);
  EXPECT_EQ(TempDrives::Tree(drives.Root('C')), (std::vector<std::string>{"Tool", "WINDOWS/"}));

  // A read-only source (every file of a mounted CD) gives a copy its owner can replace.
  TempDrives::WriteFile(drives.Host('D', "src/readme.txt"), "text");
  TempDrives::SetMode(drives.Host('D', "src/readme.txt"), 0444);
  auto fromCd = fs.CreateReplacement("C:\\readme.txt");
  ASSERT_NE(fromCd, nullptr);
  EXPECT_EQ(fromCd->Commit("D:\\src\\readme.txt"), FsStatus::kOk);
  EXPECT_EQ(TempDrives::ModeOf(drives.Host('C', "readme.txt")), 0644u);

  // Without a source the new file gets the ordinary permissions.
  auto fresh = fs.CreateReplacement("C:\\Fresh.txt");
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->Commit(""), FsStatus::kOk);
  EXPECT_EQ(TempDrives::ModeOf(drives.Host('C', "Fresh.txt")), static_cast<unsigned>(fs.NewFileMode()));
}

TEST_F(FileSystemPosix, ACopyKeepsTheSourcesPermissionsInAFolderWithADefaultAcl) {
  TempDrives::WriteFile(drives.Host('D', "src/readme.txt"), "text");
  TempDrives::SetMode(drives.Host('D', "src/readme.txt"), 0644);
  TempDrives::MakeFolders(drives.Host('C', "acl"));
  // A default ACL of owner rwx, group r-x, others nothing: a new file gets those bits at most,
  // whatever the umask.
  struct Entry {
    std::uint16_t tag, perm;
    std::uint32_t id;
  };
  struct {
    std::uint32_t version = 2;
    Entry entries[3] = {{0x01, 7, ~0u}, {0x04, 5, ~0u}, {0x20, 0, ~0u}};
  } acl;
  if (setxattr(drives.Host('C', "acl").c_str(), "system.posix_acl_default", &acl, sizeof acl, 0) != 0) {
    GTEST_SKIP() << "no ACLs here";
  }
  auto reader = fs.OpenForReading("D:\\src\\readme.txt");  // read first, as a copy does
  ASSERT_NE(reader, nullptr);
  auto copy = fs.CreateReplacement("C:\\acl\\readme.txt");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Commit("D:\\src\\readme.txt"), FsStatus::kOk);
  EXPECT_EQ(TempDrives::ModeOf(drives.Host('C', "acl/readme.txt")), 0644u);
}

TEST_F(FileSystemPosix, AHeldFileCannotBeDeletedOrReplacedUntilItIsLetGo) {
  TempDrives::WriteFile(drives.Host('C', "defile"), "list");
  auto hold = fs.HoldOpen("C:\\DEFILE");
  ASSERT_NE(hold, nullptr);
  EXPECT_EQ(fs.DeleteFile("C:\\defile"), FsStatus::kInUse);
  {
    auto replacement = fs.CreateReplacement("C:\\defile");
    ASSERT_NE(replacement, nullptr);
    EXPECT_TRUE(replacement->Write("x", 1));
    EXPECT_EQ(replacement->Commit(""), FsStatus::kInUse);
  }
  EXPECT_EQ(TempDrives::Tree(drives.Root('C')), (std::vector<std::string>{"WINDOWS/", "defile"}));
  EXPECT_EQ(fs.ReadWholeFile("C:\\defile"), "list");  // reading is shared
  hold.reset();
  EXPECT_EQ(fs.DeleteFile("C:\\defile"), FsStatus::kOk);
  EXPECT_EQ(fs.HoldOpen("C:\\defile"), nullptr);
}

TEST_F(FileSystemPosix, WhatWasLookedUpIsSeenAnewAfterAnotherProgramChangesIt) {
  struct Row {
    const char* name;
    std::function<void(const TempDrives&)> change;
    std::function<void(PosixFileSystem&, const TempDrives&)> check;
  };
  const auto host = [](const TempDrives& d, const char* relative) { return d.Host('C', relative); };
  const Row rows[] = {
      {"a file deleted", [&](const TempDrives& d) { unlink(host(d, "A/B/f.txt").c_str()); },
       [](PosixFileSystem& files, const TempDrives&) {
         EXPECT_FALSE(files.FileExists("C:\\A\\B\\F.TXT"));
         EXPECT_FALSE(files.FileLength("C:\\A\\B\\f.txt"));
       }},
      {"a file created in another case",
       [&](const TempDrives& d) { TempDrives::WriteFile(host(d, "A/B/NEW.TXT"), "n"); },
       [](PosixFileSystem& files, const TempDrives&) { EXPECT_EQ(files.ReadWholeFile("C:\\A\\B\\new.txt"), "n"); }},
      {"a file renamed",
       [&](const TempDrives& d) { rename(host(d, "A/B/f.txt").c_str(), host(d, "A/B/g.txt").c_str()); },
       [](PosixFileSystem& files, const TempDrives&) {
         EXPECT_FALSE(files.FileExists("C:\\A\\B\\f.txt"));
         EXPECT_TRUE(files.FileExists("C:\\a\\b\\G.TXT"));
       }},
      {"a file's length and time changed",
       [&](const TempDrives& d) {
         TempDrives::WriteFile(host(d, "A/B/f.txt"), "12");
         TempDrives::SetTime(host(d, "A/B/f.txt"), 86400 * 365);
       },
       [](PosixFileSystem& files, const TempDrives&) {
         EXPECT_EQ(files.FileLength("C:\\A\\B\\F.TXT"), 2u);
         EXPECT_EQ(files.LastWriteTime("C:\\A\\B\\f.txt")->year, 1971);
       }},
      {"a folder on the way renamed",
       [&](const TempDrives& d) { rename(host(d, "A/B").c_str(), host(d, "A/C").c_str()); },
       [](PosixFileSystem& files, const TempDrives&) {
         EXPECT_FALSE(files.FileExists("C:\\A\\B\\f.txt"));
         EXPECT_FALSE(files.FolderExists("C:\\a\\B"));
         EXPECT_EQ(files.ReadWholeFile("C:\\A\\C\\F.TXT"), "1");
       }},
      {"a folder in the exact spelling made beside one in another case",
       [&](const TempDrives& d) { TempDrives::WriteFile(host(d, "a/B/f.txt"), "exact"); },
       [](PosixFileSystem& files, const TempDrives&) { EXPECT_EQ(files.ReadWholeFile("C:\\a\\B\\f.txt"), "exact"); }},
      {"a folder replaced by a link that leads out of the drive",
       [&](const TempDrives& d) {
         TempDrives::WriteFile(d.Base() + "/outside/f.txt", "o");
         rename(host(d, "A/B").c_str(), host(d, "A/old").c_str());
         if (symlink((d.Base() + "/outside").c_str(), host(d, "A/B").c_str()) != 0) _exit(1);
       },
       [](PosixFileSystem& files, const TempDrives& d) {
         EXPECT_EQ(files.DeleteFile("C:\\A\\B\\f.txt"), FsStatus::kAccessDenied);
         EXPECT_EQ(files.ClearAttributes("C:\\A\\B\\f.txt"), FsStatus::kAccessDenied);
         EXPECT_TRUE(TempDrives::Exists(d.Base() + "/outside/f.txt"));
       }},
  };
  for (const Row& row : rows) {
    // Also right after a deletion of the program's own, which turns the signal of changes off
    // until they are next read: the other program's change then comes without one.
    for (const bool afterOwnDeletion : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (afterOwnDeletion ? ", after a deletion of its own" : ""));
      TempDrives d;
      PosixFileSystem own;
      TempDrives::WriteFile(d.Host('C', "A/B/f.txt"), "1");
      TempDrives::WriteFile(d.Host('C', "A/B/own.txt"), "o");
      // Everything that can be kept is looked up first: the folders, the entry, its length,
      // a missing name, and the same file through another case.
      ASSERT_TRUE(own.FileExists("C:\\A\\B\\F.TXT"));
      ASSERT_EQ(own.FileLength("C:\\A\\B\\f.txt"), 1u);
      ASSERT_TRUE(own.LastWriteTime("C:\\A\\B\\f.txt"));
      ASSERT_EQ(own.ReadWholeFile("C:\\a\\B\\f.txt"), "1");
      ASSERT_FALSE(own.FileExists("C:\\A\\B\\new.txt"));
      if (afterOwnDeletion) {
        ASSERT_EQ(own.DeleteFile("C:\\A\\B\\OWN.TXT"), FsStatus::kOk);
      }
      InOtherProcess([&] { row.change(d); });
      row.check(own, d);
    }
  }
}

// Places a file through a committed replacement, as the installation copies.
FsStatus Place(PosixFileSystem& files, const std::string& path, std::string_view bytes) {
  auto replacement = files.CreateReplacement(path);
  if (replacement == nullptr) return FsStatus::kNotFound;
  if (!replacement->Write(bytes.data(), bytes.size())) return FsStatus::kIoError;
  return replacement->Commit("");
}

TEST_F(FileSystemPosix, AFolderThisRunMadeMeetsAnotherProgramsChangesWhereTheyMatter) {
  // A folder that existed is watched and every change in it is seen. One this run made holds
  // the names the run put there: a name another program adds may go unseen, but a file placed
  // under it replaces it unless it is held, and nothing goes through a link put in its place.
  struct Row {
    const char* name;
    std::function<void(const TempDrives&)> change;  // another program's, in C:\Dest
    std::function<void(PosixFileSystem&, const TempDrives&, bool made)> check;
  };
  const auto host = [](const TempDrives& d, const char* relative) { return d.Host('C', relative); };
  const Row rows[] = {
      {"a new name", [&](const TempDrives& d) { TempDrives::WriteFile(host(d, "Dest/theirs.txt"), "t"); },
       [](PosixFileSystem& files, const TempDrives&, bool made) {
         if (!made) {
           EXPECT_TRUE(files.FileExists("C:\\DEST\\THEIRS.TXT"));
         }
         EXPECT_EQ(files.ReadWholeFile("C:\\Dest\\theirs.txt"), made ? std::nullopt : std::optional<std::string>("t"));
       }},
      {"the run's file deleted", [&](const TempDrives& d) { unlink(host(d, "Dest/mine.txt").c_str()); },
       [](PosixFileSystem& files, const TempDrives&, bool) { EXPECT_FALSE(files.FileExists("C:\\DEST\\MINE.TXT")); }},
      {"a file under the name the run places next",
       [&](const TempDrives& d) { TempDrives::WriteFile(host(d, "Dest/next.txt"), "theirs"); },
       [&](PosixFileSystem& files, const TempDrives& d, bool) {
         const UniqueFd hold(open(host(d, "Dest/next.txt").c_str(), O_RDONLY));
         ASSERT_EQ(flock(hold.get(), LOCK_SH), 0);
         EXPECT_EQ(Place(files, "C:\\Dest\\next.txt", "mine"), FsStatus::kInUse);
         EXPECT_EQ(TempDrives::ReadFile(host(d, "Dest/next.txt")), "theirs");
         ASSERT_EQ(flock(hold.get(), LOCK_UN), 0);
         EXPECT_EQ(Place(files, "C:\\Dest\\next.txt", "mine"), FsStatus::kOk);
         EXPECT_EQ(TempDrives::ReadFile(host(d, "Dest/next.txt")), "mine");
         EXPECT_EQ(TempDrives::Tree(host(d, "Dest")), (std::vector<std::string>{"mine.txt", "next.txt"}));
       }},
      {"the folder replaced by a link that leads out of the drive",
       [&](const TempDrives& d) {
         TempDrives::MakeFolders(d.Base() + "/outside");
         rename(host(d, "Dest").c_str(), host(d, "old").c_str());
         if (symlink((d.Base() + "/outside").c_str(), host(d, "Dest").c_str()) != 0) _exit(1);
       },
       [](PosixFileSystem& files, const TempDrives& d, bool) {
         (void)Place(files, "C:\\Dest\\next.txt", "mine");
         (void)files.DeleteFile("C:\\Dest\\mine.txt");
         EXPECT_EQ(TempDrives::Tree(d.Base() + "/outside"), std::vector<std::string>{});
       }},
      {"none, the run removing its own folder and making it again",
       [](const TempDrives&) {},
       [&](PosixFileSystem& files, const TempDrives& d, bool) {
         ASSERT_EQ(files.CreateFolder("C:\\Dest\\Sub"), FsStatus::kOk);
         ASSERT_EQ(Place(files, "C:\\Dest\\Sub\\a.txt", "a"), FsStatus::kOk);
         ASSERT_EQ(files.DeleteFile("C:\\DEST\\SUB\\A.TXT"), FsStatus::kOk);
         ASSERT_EQ(files.RemoveFolder("C:\\Dest\\Sub"), FsStatus::kOk);
         EXPECT_FALSE(files.FolderExists("C:\\Dest\\SUB"));
         ASSERT_EQ(files.CreateFolder("C:\\Dest\\Sub"), FsStatus::kOk);
         ASSERT_EQ(Place(files, "C:\\Dest\\Sub\\b.txt", "b"), FsStatus::kOk);
         EXPECT_EQ(files.ReadWholeFile("C:\\DEST\\SUB\\B.TXT"), "b");
         EXPECT_EQ(TempDrives::Tree(host(d, "Dest")), (std::vector<std::string>{"Sub/", "Sub/b.txt", "mine.txt"}));
       }},
  };
  for (const bool made : {false, true}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(row.name) + (made ? ", in a folder the run made" : ", in a folder that existed"));
      TempDrives d;
      PosixFileSystem own;
      if (made) {
        ASSERT_EQ(own.CreateFolder("C:\\Dest"), FsStatus::kOk);
      } else {
        TempDrives::MakeFolders(d.Host('C', "Dest"));
      }
      // The folder's names are kept from here: one placed, one looked for and missing.
      ASSERT_EQ(Place(own, "C:\\Dest\\mine.txt", "m"), FsStatus::kOk);
      ASSERT_TRUE(own.FileExists("C:\\DEST\\MINE.TXT"));
      ASSERT_FALSE(own.FileExists("C:\\Dest\\theirs.txt"));
      InOtherProcess([&] { row.change(d); });
      row.check(own, d, made);
    }
  }
}

TEST_F(FileSystemPosix, AFolderTheRunMadeIsNeverWrittenThroughALinkPutInItsPlace) {
  // Folders in a folder the run made, which is not watched; past the kept folders that have a
  // descriptor of their own, a folder is named by its path.
  constexpr int kFolders = 300;
  ASSERT_EQ(fs.CreateFolder("C:\\Made"), FsStatus::kOk);
  for (int i = 0; i < kFolders; ++i) {
    const std::string folder = "C:\\Made\\" + std::to_string(i);
    ASSERT_EQ(fs.CreateFolder(folder), FsStatus::kOk);
    ASSERT_EQ(Place(fs, folder + "\\f.txt", "f"), FsStatus::kOk);
  }
  TempDrives::MakeFolders(drives.Base() + "/outside");
  for (const int i : {0, kFolders - 1}) {
    const std::string made = drives.Host('C', "Made/" + std::to_string(i));
    ASSERT_EQ(rename(made.c_str(), (made + "-old").c_str()), 0);
    ASSERT_EQ(symlink((drives.Base() + "/outside").c_str(), made.c_str()), 0);
    (void)Place(fs, "C:\\Made\\" + std::to_string(i) + "\\g.txt", "g");
  }
  EXPECT_EQ(TempDrives::Tree(drives.Base() + "/outside"), std::vector<std::string>{});
}

TEST_F(FileSystemPosix, AWaitForAHeldFileTellsWhetherItIsHeld) {
  TempDrives::WriteFile(drives.Host('C', "runtime/defile"), "list");
  const std::string path = "C:\\runtime\\DEFILE";
  EXPECT_EQ(fs.WaitUntilLetGo(path, 60000), PosixFileSystem::LetGo::kNotHeld);
  EXPECT_EQ(fs.WaitUntilLetGo("C:\\runtime\\missing", 60000), PosixFileSystem::LetGo::kLetGoOrChanged);
  int held[2];
  int release[2];
  ASSERT_EQ(pipe(held), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    // Another program holds the file until the test lets it end.
    const int fd = open(drives.Host('C', "runtime/defile").c_str(), O_RDONLY);
    const bool locked = fd >= 0 && flock(fd, LOCK_SH) == 0;
    close(release[1]);
    (void)!write(held[1], locked ? "h" : "x", 1);
    char byte = 0;
    while (read(release[0], &byte, 1) > 0) {
    }
    _exit(0);
  }
  close(held[1]);
  close(release[0]);
  char byte = 0;
  ASSERT_EQ(read(held[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'h');
  EXPECT_EQ(fs.WaitUntilLetGo(path, 20), PosixFileSystem::LetGo::kStillHeld);
  EXPECT_EQ(fs.DeleteFile(path), FsStatus::kInUse);
  close(release[1]);
  int status = -1;
  ASSERT_EQ(waitpid(holder, &status, 0), holder);
  close(held[0]);
  EXPECT_EQ(fs.WaitUntilLetGo(path, 60000), PosixFileSystem::LetGo::kNotHeld);
  EXPECT_EQ(fs.DeleteFile(path), FsStatus::kOk);
}

TEST_F(FileSystemPosix, FoldersAndFilesAreRemovedOnlyAsTheirKind) {
  TempDrives::WriteFile(drives.Host('C', "a/b/file.txt"), "x");
  EXPECT_EQ(fs.RemoveFolder("C:\\A\\B"), FsStatus::kNotEmpty);
  EXPECT_EQ(fs.DeleteFile("C:\\A\\B"), FsStatus::kAccessDenied);
  EXPECT_EQ(fs.RemoveFolder("C:\\A\\B\\FILE.TXT"), FsStatus::kNotFound);
  EXPECT_EQ(fs.DeleteFile("C:\\a\\b\\file.txt"), FsStatus::kOk);
  EXPECT_EQ(fs.DeleteFile("C:\\a\\b\\file.txt"), FsStatus::kNotFound);
  EXPECT_EQ(fs.RemoveFolder("C:\\A\\B\\"), FsStatus::kOk);
  EXPECT_EQ(fs.RemoveFolder("C:\\A\\B"), FsStatus::kNotFound);
  EXPECT_EQ(fs.RemoveFolder("C:\\"), FsStatus::kAccessDenied);
  EXPECT_EQ(fs.RemoveFolder("C:\\.."), FsStatus::kAccessDenied);
  EXPECT_EQ(fs.CreateFolder("Q:\\x"), FsStatus::kNotFound);        // no such drive
  EXPECT_EQ(fs.CreateFolder("relative"), FsStatus::kInvalidPath);
  EXPECT_EQ(fs.DeleteFile("C:\\bad|name"), FsStatus::kInvalidPath);
}

TEST_F(FileSystemPosix, ListingsMatchPatternsOnOrdinaryFilesIgnoringCase) {
  for (const char* name : {"b.TXT", "a.txt", "c.doc", "noext", "ab.txt"}) {
    TempDrives::WriteFile(drives.Host('C', std::string("list/") + name), "");
  }
  TempDrives::MakeFolders(drives.Host('C', "list/folder.txt"));
  struct Row {
    const char* pattern;
    std::vector<std::string> names;
  };
  const Row rows[] = {
      {"C:\\LIST\\*.txt", {"a.txt", "ab.txt", "b.TXT"}},
      {"C:\\list\\?.txt", {"a.txt", "b.TXT"}},
      {"C:\\list\\*.*", {"a.txt", "ab.txt", "b.TXT", "c.doc", "noext"}},
      {"C:\\list\\*", {"a.txt", "ab.txt", "b.TXT", "c.doc", "noext"}},
      {"C:\\list\\B.txt", {"b.TXT"}},  // a plain path matches itself
      {"C:\\list\\folder.txt", {}},
      {"C:\\list\\", {}},
      {"C:\\nothing\\*", {}},
      {"no drive\\*", {}},
  };
  for (const Row& row : rows) EXPECT_EQ(fs.ListFiles(row.pattern), row.names) << row.pattern;
}

TEST_F(FileSystemPosix, LengthsAreSixtyFourBit) {
  const std::string host = drives.Host('C', "big.bin");
  TempDrives::WriteFile(host, "");
  ASSERT_EQ(truncate(host.c_str(), 5LL << 30), 0);  // sparse: takes no space
  EXPECT_EQ(fs.FileLength("C:\\BIG.BIN"), 5ULL << 30);
  EXPECT_FALSE(fs.FileLength("C:\\WINDOWS"));
}

TEST_F(FileSystemPosix, DrivesAreTheMappedLettersWithTheirFreeSpace) {
  EXPECT_EQ(fs.DriveName('c'), "c:");
  EXPECT_EQ(fs.DriveName('D'), "d:");
  EXPECT_EQ(fs.DriveName('Z'), "z:");
  EXPECT_FALSE(fs.DriveName('Q'));
  EXPECT_FALSE(fs.DriveName('1'));
  struct statvfs vfs {};
  ASSERT_EQ(statvfs(drives.Root('C').c_str(), &vfs), 0);
  const auto expected = static_cast<std::int64_t>(vfs.f_bavail * vfs.f_frsize / 1048576);
  const auto free = fs.FreeMegabytes(2);
  ASSERT_TRUE(free);
  EXPECT_NEAR(static_cast<double>(*free), static_cast<double>(expected), 64.0);
  EXPECT_FALSE(fs.FreeMegabytes(16));  // Q:
  EXPECT_FALSE(fs.FreeMegabytes(-1));
  EXPECT_FALSE(fs.FreeMegabytes(26));
}

TEST(FileSystemPosixDrives, ADriveFolderAndCWindowsAreMadeOnFirstUse) {
  TempDrives drives;
  const std::string c = drives.Base() + "/fresh/c";
  const std::string d = drives.Base() + "/fresh/d";
  drives.SetEnv("TUNOVAR_DRIVES", "C=" + c + ";D=" + d);
  PosixFileSystem fs;
  EXPECT_FALSE(TempDrives::Exists(c));  // nothing is made before it is used
  EXPECT_TRUE(fs.FolderExists("C:\\WINDOWS\\"));
  EXPECT_TRUE(TempDrives::Exists(c + "/WINDOWS"));
  EXPECT_TRUE(fs.FolderExists("D:\\"));
  EXPECT_EQ(TempDrives::Tree(d), std::vector<std::string>{});

  // A Windows folder that is there in another case is the Windows folder.
  const std::string e = drives.Base() + "/e";
  TempDrives::MakeFolders(e + "/windows");
  drives.SetEnv("TUNOVAR_DRIVES", "C=" + e);
  PosixFileSystem other;
  EXPECT_TRUE(other.FolderExists("C:\\WINDOWS"));
  EXPECT_EQ(TempDrives::Tree(e), std::vector<std::string>{"windows/"});
}

}  // namespace
}  // namespace tunovar::posix
