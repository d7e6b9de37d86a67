// One suite of the FileSystem contract, run on the fake the core's tests use and on the POSIX
// back-end over temporary drive folders, so that the fake cannot drift from a real back-end.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_system.h"
#include "platform/posix/file_system_posix.h"
#include "support/fake_platform.h"
#include "support/temp_drives.h"

namespace tunovar {
namespace {

// The fake, with a way to make a file read-only that the interface does not have.
struct FakeBackEnd {
  testing::FakeFileSystem fs;
  void MakeReadOnly(const std::string& path) { fs.Find(path)->readOnly = true; }
};

// The POSIX back-end on drive C: of fresh temporary drive folders.
struct PosixBackEnd {
  testing::TempDrives drives{"C"};
  posix::PosixFileSystem fs;  // made after the drives, from TUNOVAR_DRIVES
  void MakeReadOnly(const std::string& path) { testing::TempDrives::SetMode(*fs.HostPath(path), 0444); }
};

template <typename BackEnd>
class FileSystemConformance : public ::testing::Test {
 protected:
  // A file with its folders, made through the interface.
  void Put(const std::string& path, const std::string& bytes) {
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
      (void)fs().CreateFolder(path.substr(0, at));
    }
    auto file = fs().CreateReplacement(path);
    ASSERT_TRUE(file) << path;
    ASSERT_TRUE(file->Write(bytes.data(), bytes.size()));
    ASSERT_EQ(file->Commit(""), FsStatus::kOk) << path;
  }
  // The names a pattern lists, sorted.
  std::vector<std::string> Listed(const std::string& pattern) {
    std::vector<std::string> names = fs().ListFiles(pattern);
    std::sort(names.begin(), names.end());
    return names;
  }
  FileSystem& fs() { return backEnd.fs; }
  BackEnd backEnd;
};

using BackEnds = ::testing::Types<FakeBackEnd, PosixBackEnd>;
TYPED_TEST_SUITE(FileSystemConformance, BackEnds);

TYPED_TEST(FileSystemConformance, ExistenceOfFilesAndFoldersWithAndWithoutAFinalBackslash) {
  this->Put("C:\\A\\f.txt", "abc");
  struct Row {
    const char* path;
    bool file, entry, folder;
  };
  const Row rows[] = {
      {"C:\\A\\f.txt", true, true, false},
      {"c:\\a\\F.TXT", true, true, false},  // letter case ignored
      {"C:\\A\\f.txt\\", false, false, false},  // a final "\" names a folder
      {"C:\\A", false, true, true},
      {"C:\\A\\", false, true, true},
      {"C:\\A\\g.txt", false, false, false},
      {"C:\\B\\", false, false, false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(this->fs().FileExists(r.path), r.file) << r.path;
    EXPECT_EQ(this->fs().EntryExists(r.path), r.entry) << r.path;
    EXPECT_EQ(this->fs().FolderExists(r.path), r.folder) << r.path;
  }
  EXPECT_EQ(this->fs().FileLength("C:\\A\\f.txt"), 3u);
  EXPECT_FALSE(this->fs().FileLength("C:\\A"));
}

TYPED_TEST(FileSystemConformance, FoldersAreMadeAndRemovedOneAtATime) {
  this->Put("C:\\A\\f.txt", "abc");
  EXPECT_EQ(this->fs().CreateFolder("C:\\N\\"), FsStatus::kOk);
  EXPECT_TRUE(this->fs().FolderExists("C:\\N"));
  EXPECT_EQ(this->fs().CreateFolder("C:\\N"), FsStatus::kExists);
  EXPECT_EQ(this->fs().CreateFolder("C:\\X\\Y"), FsStatus::kNotFound);  // no parent
  EXPECT_EQ(this->fs().RemoveFolder("C:\\A"), FsStatus::kNotEmpty);
  EXPECT_EQ(this->fs().RemoveFolder("C:\\N\\"), FsStatus::kOk);
  EXPECT_EQ(this->fs().RemoveFolder("C:\\N"), FsStatus::kNotFound);
  EXPECT_EQ(this->fs().DeleteFile("C:\\A\\f.txt\\"), FsStatus::kNotFound);  // no folder of that name
  EXPECT_EQ(this->fs().DeleteFile("C:\\A\\f.txt"), FsStatus::kOk);
  EXPECT_EQ(this->fs().DeleteFile("C:\\A\\f.txt"), FsStatus::kNotFound);
}

TYPED_TEST(FileSystemConformance, WildcardsListOrdinaryFilesAsWindowsDoes) {
  for (const char* name : {"a.txt", "b.TXT", "readme"}) this->Put(std::string("C:\\W\\") + name, "x");
  ASSERT_EQ(this->fs().CreateFolder("C:\\W\\sub"), FsStatus::kOk);
  using Names = std::vector<std::string>;
  struct Row {
    const char* pattern;
    Names names;
  };
  const Row rows[] = {
      {"C:\\W\\*.*", {"a.txt", "b.TXT", "readme"}},  // every name, with a dot or without
      {"C:\\W\\*", {"a.txt", "b.TXT", "readme"}},    // folders are not listed
      {"C:\\W\\*.txt", {"a.txt", "b.TXT"}},
      {"C:\\W\\?.TXT", {"a.txt", "b.TXT"}},
      {"C:\\W/*.txt", {"a.txt", "b.TXT"}},  // "/" separates as "\" does
      {"C:\\w\\README", {"readme"}},        // a plain path lists itself as it is spelled
      {"C:\\W\\", {}},                      // a folder path lists nothing
      {"C:\\W\\*.bak", {}},
      {"C:\\none\\*.*", {}},
  };
  for (const Row& r : rows) EXPECT_EQ(this->Listed(r.pattern), r.names) << r.pattern;
}

TYPED_TEST(FileSystemConformance, AReadOnlyFileIsDeletedOnlyAfterItsAttributesAreCleared) {
  this->Put("C:\\R\\ro.txt", "old");
  this->backEnd.MakeReadOnly("C:\\R\\ro.txt");
  EXPECT_FALSE(this->fs().OpenForWriting("C:\\R\\ro.txt", WriteMode::kAppend));
  EXPECT_EQ(this->fs().DeleteFile("C:\\R\\ro.txt"), FsStatus::kAccessDenied);
  EXPECT_TRUE(this->fs().FileExists("C:\\R\\ro.txt"));
  // A replacement puts itself over a read-only file.
  this->Put("C:\\R\\ro.txt", "new");
  this->backEnd.MakeReadOnly("C:\\R\\ro.txt");
  EXPECT_EQ(this->fs().ReadWholeFile("C:\\R\\ro.txt"), "new");
  EXPECT_EQ(this->fs().ClearAttributes("C:\\R\\ro.txt"), FsStatus::kOk);
  EXPECT_EQ(this->fs().DeleteFile("C:\\R\\ro.txt"), FsStatus::kOk);
}

TYPED_TEST(FileSystemConformance, AHeldFileIsReadButNeitherDeletedNorReplaced) {
  this->Put("C:\\H\\defile", "list");
  {
    const std::unique_ptr<FileHold> hold = this->fs().HoldOpen("C:\\H\\defile");
    ASSERT_TRUE(hold);
    EXPECT_EQ(this->fs().ReadWholeFile("C:\\H\\defile"), "list");
    EXPECT_EQ(this->fs().DeleteFile("C:\\H\\defile"), FsStatus::kInUse);
    auto replacement = this->fs().CreateReplacement("C:\\H\\defile");
    ASSERT_TRUE(replacement);
    ASSERT_TRUE(replacement->Write("x", 1));
    EXPECT_EQ(replacement->Commit(""), FsStatus::kInUse);
    EXPECT_EQ(this->fs().ReadWholeFile("C:\\H\\defile"), "list");
  }
  EXPECT_FALSE(this->fs().HoldOpen("C:\\H\\missing"));
  EXPECT_EQ(this->fs().DeleteFile("C:\\H\\defile"), FsStatus::kOk);  // let go of
}

}  // namespace
}  // namespace tunovar
