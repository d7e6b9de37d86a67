// One suite of the FileSystem contract, the same cases on every implementation: the fake the
// core's tests use, the POSIX back-end over temporary drive folders, and the Win32 back-end
// (built for Windows and run under Wine), so that neither the fake nor the stand-in can drift
// from the system the product runs on.
//
// A back-end type gives the suite what the interface has no call for:
//   FileSystem fs;                        the implementation, fresh for each case
//   std::string Root();                   an empty folder the case may fill ("C:\", or a
//                                         folder of drive C: where the drive is shared)
//   void MakeReadOnly(const std::string&) and
//   void SetTime(const std::string&, const LocalDateTime&)   (local time, whole seconds)
//   bool MakeHidden(const std::string&)   false where the file system has no such attribute
// and states the answers on which implementations really differ, so that a difference is
// seen in its fixture rather than hidden by a weaker case:
//   static constexpr Answers kAnswers     (below)
//   bool ReadOnlyBarsWriting()            false where the system lets a read-only file be
//                                         opened for writing (Wine run by the host's root)
// and instantiates the suite with INSTANTIATE_TYPED_TEST_SUITE_P.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tunovar::conformance {

// What an implementation answers where they do not all agree; the defaults are the fake's.
struct Answers {
  FsStatus deleteOfAFileAsFolder = FsStatus::kNotFound;  // DeleteFile("...\\f.txt\\")
  FsStatus deleteOfAFolder = FsStatus::kNotFound;        // DeleteFile of an empty folder
  FsStatus secondCommit = FsStatus::kIoError;            // a replacement committed again
};

template <typename BackEnd>
class FileSystemConformance : public ::testing::Test {
 protected:
  // A path below the case's folder; relative uses "\" as the core does.
  std::string P(const std::string& relative) { return backEnd.Root() + relative; }
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
  bool WriteText(const std::string& path, WriteMode mode, const std::string& text) {
    auto writer = fs().OpenForWriting(path, mode);
    return writer != nullptr && writer->Write(text);
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

using Names = std::vector<std::string>;

TYPED_TEST_SUITE_P(FileSystemConformance);

TYPED_TEST_P(FileSystemConformance, ExistenceOfFilesAndFoldersWithAndWithoutAFinalBackslash) {
  this->Put(this->P("A\\f.txt"), "abc");
  struct Row {
    const char* path;
    bool file, entry, folder;
  };
  const Row rows[] = {
      {"A\\f.txt", true, true, false},
      {"a\\F.TXT", true, true, false},     // letter case ignored
      {"A\\f.txt\\", false, false, false},  // a final "\" names a folder
      {"A", false, true, true},
      {"A\\", false, true, true},
      {"A\\g.txt", false, false, false},
      {"B\\", false, false, false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(this->fs().FileExists(this->P(r.path)), r.file) << r.path;
    EXPECT_EQ(this->fs().EntryExists(this->P(r.path)), r.entry) << r.path;
    EXPECT_EQ(this->fs().FolderExists(this->P(r.path)), r.folder) << r.path;
  }
  EXPECT_EQ(this->fs().FileLength(this->P("A\\f.txt")), 3u);
  EXPECT_FALSE(this->fs().FileLength(this->P("A")));
  EXPECT_FALSE(this->fs().FileLength(this->P("A\\*.txt")));  // a wildcard names no file
  EXPECT_FALSE(this->fs().FileLength("C:\\"));  // a drive's root is no file
}

TYPED_TEST_P(FileSystemConformance, FoldersAreMadeAndRemovedOneAtATime) {
  this->Put(this->P("A\\f.txt"), "abc");
  struct Row {
    const char* what;
    FsStatus (*op)(FileSystem&, const std::string&);
    const char* path;
    FsStatus want;
  };
  const auto create = [](FileSystem& fs, const std::string& p) { return fs.CreateFolder(p); };
  const auto remove = [](FileSystem& fs, const std::string& p) { return fs.RemoveFolder(p); };
  const auto erase = [](FileSystem& fs, const std::string& p) { return fs.DeleteFile(p); };
  // In order: each row sees what the rows before it did.
  const Row rows[] = {
      {"create", create, "N\\", FsStatus::kOk},
      {"create", create, "N", FsStatus::kExists},
      {"create", create, "X\\Y", FsStatus::kNotFound},  // no parent
      {"remove", remove, "A", FsStatus::kNotEmpty},
      {"remove", remove, "A\\f.txt", FsStatus::kNotFound},  // a file is no folder
      {"delete", erase, "N", TypeParam::kAnswers.deleteOfAFolder},  // nor a folder a file
      {"remove", remove, "N\\", FsStatus::kOk},
      {"remove", remove, "N", FsStatus::kNotFound},
      {"delete", erase, "A\\f.txt\\", TypeParam::kAnswers.deleteOfAFileAsFolder},  // no folder of that name
      {"delete", erase, "A\\f.txt", FsStatus::kOk},
      {"delete", erase, "A\\f.txt", FsStatus::kNotFound},
      {"remove", remove, "A", FsStatus::kOk},
  };
  for (const Row& r : rows) EXPECT_EQ(r.op(this->fs(), this->P(r.path)), r.want) << r.what << " " << r.path;
  EXPECT_FALSE(this->fs().FolderExists(this->P("A")));
}

TYPED_TEST_P(FileSystemConformance, WildcardsListOrdinaryFilesAsWindowsDoes) {
  for (const char* name : {"a.txt", "b.TXT", "readme"}) this->Put(this->P(std::string("W\\") + name), "x");
  ASSERT_EQ(this->fs().CreateFolder(this->P("W\\sub.txt")), FsStatus::kOk);
  struct Row {
    const char* pattern;
    Names names;
  };
  const Row rows[] = {
      {"W\\*.*", {"a.txt", "b.TXT", "readme"}},  // every name, with a dot or without
      {"W\\*", {"a.txt", "b.TXT", "readme"}},    // folders are not listed
      {"W\\*.txt", {"a.txt", "b.TXT"}},
      {"W\\?.TXT", {"a.txt", "b.TXT"}},
      {"W/*.txt", {"a.txt", "b.TXT"}},  // "/" separates as "\" does
      {"w\\README", {"readme"}},        // a plain path lists itself as it is spelled
      {"W\\sub.txt", {}},               // nor is a folder named like a file
      {"W\\", {}},                      // a folder path lists nothing
      {"W\\*.bak", {}},
      {"none\\*.*", {}},
  };
  for (const Row& r : rows) EXPECT_EQ(this->Listed(this->P(r.pattern)), r.names) << r.pattern;
}

TYPED_TEST_P(FileSystemConformance, TextFilesAreReplacedAppendedAndReadInPieces) {
  ASSERT_EQ(this->fs().CreateFolder(this->P("T")), FsStatus::kOk);
  const std::string file = this->P("T\\log.txt");
  EXPECT_TRUE(this->WriteText(file, WriteMode::kReplace, "first\r\n"));
  EXPECT_TRUE(this->WriteText(file, WriteMode::kAppend, "second\r\n"));
  EXPECT_EQ(this->fs().ReadWholeFile(file), "first\r\nsecond\r\n");
  for (const WriteMode mode : {WriteMode::kReplace, WriteMode::kAppend}) {
    auto writer = this->fs().OpenForWriting(file, mode);
    ASSERT_TRUE(writer);
    EXPECT_TRUE(writer->Write("third\r\n"));
    EXPECT_TRUE(writer->Sync()) << (mode == WriteMode::kAppend ? "append" : "replace");
  }
  EXPECT_EQ(this->fs().ReadWholeFile(file), "third\r\nthird\r\n");
  EXPECT_TRUE(this->WriteText(file, WriteMode::kReplace, "ABCDEFGHIJ"));  // cuts the old content
  EXPECT_EQ(this->fs().FileLength(file), 10u);

  auto reader = this->fs().OpenForReading(file);
  ASSERT_TRUE(reader);
  char buffer[4];
  EXPECT_EQ(reader->Read(buffer, 4), 4u);
  std::string rest;
  for (std::optional<std::size_t> n; (n = reader->Read(buffer, 4)) && *n > 0;) rest.append(buffer, *n);
  EXPECT_EQ(rest, "EFGHIJ");

  EXPECT_FALSE(this->fs().OpenForWriting(this->P("T\\missing\\x.txt"), WriteMode::kReplace));
  EXPECT_FALSE(this->fs().OpenForWriting(this->P("T\\missing\\x.txt"), WriteMode::kAppend));
  EXPECT_FALSE(this->fs().ReadWholeFile(this->P("T\\missing.txt")));
  EXPECT_FALSE(this->fs().OpenForReading(this->P("T\\missing.txt")));
}

TYPED_TEST_P(FileSystemConformance, AReplacementTakesItsSourcesTimeAndLeavesNothingBeside) {
  const std::string source = this->P("C\\source.txt");
  const std::string destination = this->P("C\\dest.txt");
  this->Put(source, "source");
  const LocalDateTime old{2001, 2, 3, 4, 5, 6};
  this->backEnd.SetTime(source, old);
  EXPECT_EQ(this->fs().LastWriteTime(source), old);
  for (const char* bytes : {"new copy", "second copy"}) {  // a new destination, then over it
    auto r = this->fs().CreateReplacement(destination);
    ASSERT_TRUE(r);
    const std::string text = bytes;
    EXPECT_TRUE(r->Write(text.data(), 4));
    EXPECT_TRUE(r->Write(text.data() + 4, text.size() - 4));
    EXPECT_EQ(r->Commit(source), FsStatus::kOk);
    EXPECT_EQ(r->Commit(source), TypeParam::kAnswers.secondCommit);
    EXPECT_EQ(this->fs().ReadWholeFile(destination), text);
    EXPECT_EQ(this->fs().LastWriteTime(destination), old);
    EXPECT_EQ(this->Listed(this->P("C\\*")), (Names{"dest.txt", "source.txt"}));
  }
  EXPECT_FALSE(this->fs().LastWriteTime(this->P("C\\missing.txt")));
}

TYPED_TEST_P(FileSystemConformance, AnAbandonedOrRefusedReplacementLeavesWhatWasThere) {
  this->Put(this->P("D\\dest.txt"), "old");
  {
    auto r = this->fs().CreateReplacement(this->P("D\\dest.txt"));
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->Write("lost", 4));
  }
  EXPECT_EQ(this->fs().ReadWholeFile(this->P("D\\dest.txt")), "old");
  EXPECT_EQ(this->Listed(this->P("D\\*")), Names{"dest.txt"});

  // A folder where the file goes is neither replaced nor moved aside.
  ASSERT_EQ(this->fs().CreateFolder(this->P("D\\folder.txt")), FsStatus::kOk);
  if (auto r = this->fs().CreateReplacement(this->P("D\\folder.txt"))) {
    EXPECT_TRUE(r->Write("x", 1));
    EXPECT_NE(r->Commit(""), FsStatus::kOk);
  }
  EXPECT_TRUE(this->fs().FolderExists(this->P("D\\folder.txt")));
  EXPECT_EQ(this->Listed(this->P("D\\*")), Names{"dest.txt"});

  for (const std::string& where : {this->P("D\\missing\\x.txt"), this->P("D\\"), std::string("x.txt")}) {
    EXPECT_FALSE(this->fs().CreateReplacement(where)) << where;  // no folder, or no name
  }
}

TYPED_TEST_P(FileSystemConformance, AReadOnlyFileIsDeletedOnlyAfterItsAttributesAreCleared) {
  const std::string file = this->P("R\\ro.txt");
  this->Put(file, "old");
  this->backEnd.MakeReadOnly(file);
  if (this->backEnd.ReadOnlyBarsWriting()) {
    EXPECT_FALSE(this->fs().OpenForWriting(file, WriteMode::kAppend));
  }
  EXPECT_EQ(this->fs().DeleteFile(file), FsStatus::kAccessDenied);
  EXPECT_TRUE(this->fs().FileExists(file));
  // A replacement puts itself over a read-only file, and is itself writable.
  this->Put(file, "new");
  EXPECT_EQ(this->fs().ReadWholeFile(file), "new");
  EXPECT_TRUE(this->fs().OpenForWriting(file, WriteMode::kAppend));
  this->backEnd.MakeReadOnly(file);
  EXPECT_EQ(this->fs().ClearAttributes(file), FsStatus::kOk);
  EXPECT_EQ(this->fs().DeleteFile(file), FsStatus::kOk);
  EXPECT_EQ(this->fs().ClearAttributes(file), FsStatus::kNotFound);
}

TYPED_TEST_P(FileSystemConformance, AHeldFileIsReadButNeitherDeletedNorReplaced) {
  const std::string file = this->P("H\\defile");
  this->Put(file, "list");
  {
    const std::unique_ptr<FileHold> hold = this->fs().HoldOpen(file);
    ASSERT_TRUE(hold);
    EXPECT_EQ(this->fs().ReadWholeFile(file), "list");
    EXPECT_EQ(this->fs().DeleteFile(file), FsStatus::kInUse);
    auto replacement = this->fs().CreateReplacement(file);
    ASSERT_TRUE(replacement);
    ASSERT_TRUE(replacement->Write("x", 1));
    EXPECT_EQ(replacement->Commit(""), FsStatus::kInUse);
    EXPECT_EQ(this->fs().ReadWholeFile(file), "list");
  }
  EXPECT_EQ(this->Listed(this->P("H\\*")), Names{"defile"});  // no replacement left beside it
  EXPECT_FALSE(this->fs().HoldOpen(this->P("H\\missing")));
  EXPECT_EQ(this->fs().DeleteFile(file), FsStatus::kOk);  // let go of
}

TYPED_TEST_P(FileSystemConformance, AHiddenFileIsAnEntryButNoFile) {
  const std::string file = this->P("S\\hidden.txt");
  this->Put(file, "x");
  if (!this->backEnd.MakeHidden(file)) GTEST_SKIP() << "no hidden attribute on this file system";
  EXPECT_FALSE(this->fs().FileExists(file));
  EXPECT_TRUE(this->fs().EntryExists(file));
  EXPECT_EQ(this->Listed(this->P("S\\*")), Names{});
  EXPECT_EQ(this->fs().ClearAttributes(file), FsStatus::kOk);
  EXPECT_TRUE(this->fs().FileExists(file));
}

TYPED_TEST_P(FileSystemConformance, NamesKeepTheirAnsiBytesAndANulIsRefused) {
  const std::string name = "Gr\xFC\xDF" "e.txt";
  this->Put(this->P("U\\") + name, "x");
  EXPECT_TRUE(this->fs().FileExists(this->P("U\\") + name));
  EXPECT_EQ(this->Listed(this->P("U\\Gr*.txt")), Names{name});
  EXPECT_EQ(this->fs().ReadWholeFile(this->P("U\\") + name), "x");
  const std::string withNul = this->P("U\\") + name + '\0' + "x";
  EXPECT_EQ(this->fs().DeleteFile(withNul), FsStatus::kInvalidPath);
  EXPECT_TRUE(this->fs().FileExists(this->P("U\\") + name));  // the name before the NUL is untouched
}

TYPED_TEST_P(FileSystemConformance, DrivesByLetterAndNumber) {
  struct Row {
    char letter;
    std::optional<std::string> name;
  };
  const Row rows[] = {{'C', "c:"}, {'c', "c:"}, {'1', std::nullopt}, {'\0', std::nullopt}};
  for (const Row& r : rows) EXPECT_EQ(this->fs().DriveName(r.letter), r.name) << static_cast<int>(r.letter);
  const auto free = this->fs().FreeMegabytes(2);
  ASSERT_TRUE(free);
  EXPECT_GT(*free, 0);
  EXPECT_FALSE(this->fs().FreeMegabytes(-1));
  EXPECT_FALSE(this->fs().FreeMegabytes(26));
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemConformance, ExistenceOfFilesAndFoldersWithAndWithoutAFinalBackslash,
                            FoldersAreMadeAndRemovedOneAtATime, WildcardsListOrdinaryFilesAsWindowsDoes,
                            TextFilesAreReplacedAppendedAndReadInPieces,
                            AReplacementTakesItsSourcesTimeAndLeavesNothingBeside,
                            AnAbandonedOrRefusedReplacementLeavesWhatWasThere,
                            AReadOnlyFileIsDeletedOnlyAfterItsAttributesAreCleared,
                            AHeldFileIsReadButNeitherDeletedNorReplaced, AHiddenFileIsAnEntryButNoFile,
                            NamesKeepTheirAnsiBytesAndANulIsRefused, DrivesByLetterAndNumber);

// Names the instantiations by the back-end's own name (a static kName).
struct BackEndName {
  template <typename BackEnd>
  static std::string GetName(int) {
    return BackEnd::kName;
  }
};

}  // namespace tunovar::conformance
