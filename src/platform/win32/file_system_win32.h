// The file system of a Windows run: the ANSI file calls of kernel32 on Windows paths.
//
// FileSystem members on Windows: real  every one (the ANSI calls of kernel32; where a system
// lacks a newer call, the calls every 32-bit Windows has).
#pragma once

#include <set>
#include <string>

#include "platform/file_system.h"
#include "platform/win32/win32.h"

namespace tunovar::win32 {

// The one mapping from a system error (GetLastError) to the status the core understands.
[[nodiscard]] FsStatus StatusOfWin32Error(DWORD error);

// Paths are Windows-1252 strings handed to the A calls unchanged; the system reads them in
// its ANSI code page, which is 1252 on the Western systems the product is sold for.
class Win32FileSystem final : public FileSystem {
 public:
  // On a system without a newer call the same job is done with the calls that every 32-bit
  // Windows has; calls says which it has (a check passes OldestSystem()).
  explicit Win32FileSystem(const SystemCalls& calls = ThisSystem());

  [[nodiscard]] bool FileExists(const std::string& path) override;
  [[nodiscard]] bool EntryExists(const std::string& path) override;
  [[nodiscard]] bool FolderExists(const std::string& path) override;

  [[nodiscard]] std::optional<std::uint64_t> FileLength(const std::string& path) override;
  [[nodiscard]] std::optional<LocalDateTime> LastWriteTime(const std::string& path) override;
  [[nodiscard]] FsStatus ClearAttributes(const std::string& path) override;
  [[nodiscard]] std::optional<std::string> RealLocation(const std::string& path) override;

  [[nodiscard]] FsStatus CreateFolder(const std::string& path) override;
  [[nodiscard]] FsStatus RemoveFolder(const std::string& path) override;
  [[nodiscard]] FsStatus DeleteFile(const std::string& path) override;

  [[nodiscard]] std::optional<std::string> ReadWholeFile(const std::string& path) override;
  [[nodiscard]] std::unique_ptr<ByteReader> OpenForReading(const std::string& path) override;
  [[nodiscard]] std::unique_ptr<ReplacementFile> CreateReplacement(
      const std::string& destination) override;
  [[nodiscard]] std::unique_ptr<TextFileWriter> OpenForWriting(const std::string& path,
                                                               WriteMode mode) override;
  [[nodiscard]] std::unique_ptr<FileHold> HoldOpen(const std::string& path) override;

  [[nodiscard]] std::vector<std::string> ListFiles(const std::string& pattern) override;

  [[nodiscard]] std::optional<std::string> DriveName(char letter) override;
  [[nodiscard]] std::optional<std::int64_t> FreeMegabytes(int driveNumber) override;

 // The attributes, size and times of an entry: GetFileAttributesExA, else GetFileAttributesA
  // and the folder's listing of it (a drive's root has none).
  [[nodiscard]] bool AttributeDataOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) const;

 private:
  // Makes the names of temporary files unique within this run.
  // Removes the temporary files ("~tv*.tmp") that a killed run left in a folder (ending in
  // "\\"): before the first replacement in each folder, and when a folder to remove is not
  // empty. A file that a live run still writes cannot be deleted and stays. How many went.
  int RemoveStaleTemporaryFiles(const std::string& folder);
  SystemCalls calls_;

  unsigned tempCounter_ = 0;
  std::set<std::string> cleanedFolders_;  // upper case
};

}  // namespace tunovar::win32
