// The file system as the installer sees it: Windows paths ("C:\Apps\TUNOVAR\"), ANSI bytes.
//
// Every path is a full Windows path as the core builds it: a drive letter, a colon and
// components separated by "\". A back-end maps it to its own files. Nothing here throws;
// each operation reports failure by its result, and the core then skips the statement.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/local_date_time.h"

namespace tunovar {

// The outcome of a file operation, mapped from the system's error in one place per back-end.
enum class FsStatus {
  kOk,
  kNotFound,      // no such file or folder (or a parent is missing)
  kAccessDenied,  // read-only, no permission
  kInUse,         // held open by another process (sharing violation)
  kDiskFull,
  kExists,        // the entry to create is already there
  kNotEmpty,      // a folder to remove still holds entries
  kInvalidPath,   // a name the system cannot take, or a path that would leave its drive
  kIoError,       // anything else
};

// The status in words, for a log line that says why a step failed.
[[nodiscard]] constexpr const char* Describe(FsStatus status) {
  switch (status) {
    case FsStatus::kOk: return "done";
    case FsStatus::kNotFound: return "not found";
    case FsStatus::kAccessDenied: return "access denied";
    case FsStatus::kInUse: return "in use by another program";
    case FsStatus::kDiskFull: return "the disk is full";
    case FsStatus::kExists: return "it exists already";
    case FsStatus::kNotEmpty: return "the folder is not empty";
    case FsStatus::kInvalidPath: return "no valid name";
    case FsStatus::kIoError: return "an input/output error";
  }
  return "failed";
}

// Sequential read access to one file's bytes.
class ByteReader {
 public:
  virtual ~ByteReader() = default;
  // Reads up to size bytes; the count read (0 at the end), or nullopt on a read error.
  [[nodiscard]] virtual std::optional<std::size_t> Read(char* buffer, std::size_t size) = 0;
};

// A new file written beside its destination and put in its place only by Commit, so that a
// failed or abandoned copy leaves the old destination as it was. Destroying it without a
// successful Commit removes the temporary file.
class ReplacementFile {
 public:
  virtual ~ReplacementFile() = default;
  [[nodiscard]] virtual bool Write(const char* data, std::size_t size) = 0;

  // What CopyFrom did: the bytes it copied, and which side failed if one did.
  struct Copied {
    std::uint64_t bytes = 0;
    bool readFailed = false;
    bool writeFailed = false;
  };
  // Appends the reader's bytes up to its end or up to limit bytes, whichever comes first. A
  // back-end may do it without passing the bytes through the program; this one passes them
  // through a buffer: a limit of up to 1 MiB (a block of the large data file) in one piece,
  // anything longer in pieces of 256 KiB, so that nothing holds a file whole.
  [[nodiscard]] virtual Copied CopyFrom(ByteReader& reader, std::uint64_t limit) {
    const std::size_t piece = limit <= (1u << 20) ? static_cast<std::size_t>(limit) : (1u << 18);
    const auto buffer = std::make_unique_for_overwrite<char[]>(piece);
    Copied done;
    while (done.bytes < limit) {
      const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(limit - done.bytes, piece));
      const auto n = reader.Read(buffer.get(), want);
      if (!n) {
        done.readFailed = true;
        break;
      }
      if (*n == 0) break;
      if (!Write(buffer.get(), *n)) {
        done.writeFailed = true;
        break;
      }
      done.bytes += *n;
    }
    return done;
  }

  // Gives the new file the last-write time and permissions of timesFrom (when it names an
  // existing file), then renames it over the destination, replacing a read-only one.
  [[nodiscard]] virtual FsStatus Commit(const std::string& timesFrom) = 0;
};

// A text file open for writing; bytes go out as given (the caller writes CR LF). Closed when
// destroyed.
class TextFileWriter {
 public:
  virtual ~TextFileWriter() = default;
  [[nodiscard]] virtual bool Write(std::string_view bytes) = 0;
  // Returns once what was written is on the disk itself (fdatasync, FlushFileBuffers), so that
  // it outlasts a power cut; false when the system says it could not be put there. A program
  // that is killed loses nothing written without it.
  [[nodiscard]] virtual bool Sync() = 0;
};

// A file kept open without delete sharing for as long as this object lives.
class FileHold {
 public:
  virtual ~FileHold() = default;
};

enum class WriteMode { kReplace, kAppend };

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // An ordinary file (not a folder, not hidden or system) exists at path.
  [[nodiscard]] virtual bool FileExists(const std::string& path) = 0;
  // A lookup that also sees folders finds an entry; a path ending in "\" names a folder.
  [[nodiscard]] virtual bool EntryExists(const std::string& path) = 0;
  // A folder exists at path (a trailing "\" is allowed).
  [[nodiscard]] virtual bool FolderExists(const std::string& path) = 0;

  [[nodiscard]] virtual std::optional<std::uint64_t> FileLength(const std::string& path) = 0;
  [[nodiscard]] virtual std::optional<LocalDateTime> LastWriteTime(const std::string& path) = 0;
  // Clears read-only, hidden, system and archive (POSIX: gives the owner write permission).
  // A link (POSIX) or reparse point (Win32) is never followed: what it leads to keeps its own.
  [[nodiscard]] virtual FsStatus ClearAttributes(const std::string& path) = 0;

  // Where path really lies: the folder above its last name with every link (POSIX) or
  // reparse point (Win32) on the way resolved, then the last name as given, for a link as the
  // last name is the entry itself, never what it leads to; a path ending in "\" names a folder
  // and is resolved whole. nullopt when the folder cannot be resolved (it is missing, or lies
  // on no drive). A file system without links answers the path as given. Win32: a link at the
  // last name that the system does not see as one (a host link under Wine), which opening and
  // deleting the entry follow, is answered as where it leads.
  [[nodiscard]] virtual std::optional<std::string> RealLocation(const std::string& path) { return path; }

  // One folder; its parent must exist. A trailing "\" is allowed.
  [[nodiscard]] virtual FsStatus CreateFolder(const std::string& path) = 0;
  // An empty folder; fails with kNotEmpty when it holds anything.
  [[nodiscard]] virtual FsStatus RemoveFolder(const std::string& path) = 0;
  // One file; a missing file gives kNotFound.
  [[nodiscard]] virtual FsStatus DeleteFile(const std::string& path) = 0;

  // Whole file as bytes; nullopt when it cannot be opened or read.
  [[nodiscard]] virtual std::optional<std::string> ReadWholeFile(const std::string& path) = 0;
  [[nodiscard]] virtual std::unique_ptr<ByteReader> OpenForReading(const std::string& path) = 0;
  // A replacement for destination in its folder; nullptr when it cannot be created.
  [[nodiscard]] virtual std::unique_ptr<ReplacementFile> CreateReplacement(
      const std::string& destination) = 0;
  [[nodiscard]] virtual std::unique_ptr<TextFileWriter> OpenForWriting(const std::string& path,
                                                                       WriteMode mode) = 0;
  [[nodiscard]] virtual std::unique_ptr<FileHold> HoldOpen(const std::string& path) = 0;

  // Names (without folder) of the ordinary files that match a path pattern ("C:\A\*.txt",
  // or a plain path); empty when nothing matches.
  [[nodiscard]] virtual std::vector<std::string> ListFiles(const std::string& pattern) = 0;

  // Drives: the canonical name of an existing drive ("c:", as a drive list shows it, possibly
  // followed by a volume label), nullopt when there is no such drive or letter is no letter.
  [[nodiscard]] virtual std::optional<std::string> DriveName(char letter) = 0;
  // Free space of drive number n (0 = A:, 2 = C:) in whole megabytes of 1048576 bytes.
  [[nodiscard]] virtual std::optional<std::int64_t> FreeMegabytes(int driveNumber) = 0;
};

}  // namespace tunovar
