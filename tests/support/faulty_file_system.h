// A FileSystem that passes every call on to another one and makes one chosen mutating
// operation fail, for tests that inject a fault at every step of a run in turn.
//
// Mutating operations, counted from 1 in the order they are made: ClearAttributes,
// CreateFolder, RemoveFolder, DeleteFile, CreateReplacement, a replacement's Write, CopyFrom
// and Commit, OpenForWriting and a text file's Write and Sync. The one numbered failAt is not passed on:
// it fails with failWith where it returns a status, and returns false, nullptr or a failed
// write otherwise.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tunovar::testing {

class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

  int failAt = 0;  // 0: nothing fails
  FsStatus failWith = FsStatus::kIoError;
  // Every mutating operation made, in order ("Delete C:\x", "Write C:\WINDOWS\ovrituno.inf").
  std::vector<std::string> operations;
  // Told the number of each operation before it is passed on: a test may take the files as a
  // run ended there would leave them.
  std::function<void(std::size_t k)> beforeOperation;

  // Counts one operation; true when it is the one to fail.
  bool Fails(const std::string& what);

  bool FileExists(const std::string& path) override { return inner_.FileExists(path); }
  bool EntryExists(const std::string& path) override { return inner_.EntryExists(path); }
  bool FolderExists(const std::string& path) override { return inner_.FolderExists(path); }
  std::optional<std::uint64_t> FileLength(const std::string& path) override { return inner_.FileLength(path); }
  std::optional<LocalDateTime> LastWriteTime(const std::string& path) override {
    return inner_.LastWriteTime(path);
  }
  FsStatus ClearAttributes(const std::string& path) override;
  FsStatus CreateFolder(const std::string& path) override;
  FsStatus RemoveFolder(const std::string& path) override;
  FsStatus DeleteFile(const std::string& path) override;
  std::optional<std::string> ReadWholeFile(const std::string& path) override { return inner_.ReadWholeFile(path); }
  std::unique_ptr<ByteReader> OpenForReading(const std::string& path) override {
    return inner_.OpenForReading(path);
  }
  std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& destination) override;
  std::unique_ptr<TextFileWriter> OpenForWriting(const std::string& path, WriteMode mode) override;
  std::unique_ptr<FileHold> HoldOpen(const std::string& path) override { return inner_.HoldOpen(path); }
  std::vector<std::string> ListFiles(const std::string& pattern) override { return inner_.ListFiles(pattern); }
  std::optional<std::string> DriveName(char letter) override { return inner_.DriveName(letter); }
  std::optional<std::int64_t> FreeMegabytes(int driveNumber) override { return inner_.FreeMegabytes(driveNumber); }

 private:
  FileSystem& inner_;
};

}  // namespace tunovar::testing
