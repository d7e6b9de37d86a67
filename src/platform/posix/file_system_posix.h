// The file system of a Linux run: Windows paths on drive letters mapped to host folders.
//
// Lookups ignore letter case component by component, as on Windows (a CD may show
// tunovar/PDATA/1_TEXTE.TXT for TUNOVAR\pdata\1_texte.txt); new files and folders get the case
// of the path given. Names are Windows-1252 here and UTF-8 on the host. No path leaves its
// drive folder: ".." stops at the drive's root, and nothing is changed through a symbolic link
// that leads out of the drive folder. Read-only is a missing owner write bit; a file held with
// HoldOpen (a shared flock) cannot be deleted or replaced while it is held, as a file opened
// without delete sharing on Windows.
//
// FileSystem members on Linux:
//   real      FileExists EntryExists FolderExists FileLength LastWriteTime CreateFolder RemoveFolder
//             DeleteFile ReadWholeFile OpenForReading CreateReplacement OpenForWriting ListFiles
//             FreeMegabytes
//   stand-in  ClearAttributes (read-only is the owner write bit), HoldOpen (a shared flock that
//             deletes and replacements probe), RealLocation (host symbolic links for junctions),
//             DriveName (a drive is a mapped host folder)
//   no-op     none
//
// Three parts: the system calls of each member here (the twin of Win32FileSystem), the
// locator (locator.h: Windows path -> host location) and the folder cache (folder_cache.h:
// what is kept, and what keeps it true).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/folder_cache.h"
#include "platform/posix/host_location.h"
#include "platform/posix/locator.h"
#include "platform/posix/unique_fd.h"

namespace tunovar::posix {

// The one mapping from the system's error numbers to FsStatus.
[[nodiscard]] FsStatus StatusOfErrno(int error);

class PosixFileSystem : public FileSystem {
 public:
  PosixFileSystem();  // drives from the environment
  explicit PosixFileSystem(DriveMap drives);
  ~PosixFileSystem() override;
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  bool FileExists(const std::string& path) override;
  bool EntryExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<std::uint64_t> FileLength(const std::string& path) override;
  std::optional<LocalDateTime> LastWriteTime(const std::string& path) override;
  FsStatus ClearAttributes(const std::string& path) override;
  std::optional<std::string> RealLocation(const std::string& path) override;
  FsStatus CreateFolder(const std::string& path) override;
  FsStatus RemoveFolder(const std::string& path) override;
  FsStatus DeleteFile(const std::string& path) override;
  std::optional<std::string> ReadWholeFile(const std::string& path) override;
  std::unique_ptr<ByteReader> OpenForReading(const std::string& path) override;
  std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& destination) override;
  std::unique_ptr<TextFileWriter> OpenForWriting(const std::string& path, WriteMode mode) override;
  std::unique_ptr<FileHold> HoldOpen(const std::string& path) override;
  std::vector<std::string> ListFiles(const std::string& pattern) override;
  std::optional<std::string> DriveName(char letter) override;
  std::optional<std::int64_t> FreeMegabytes(int driveNumber) override;

  // The status of an existing ordinary file (following a link); nullopt otherwise.
  [[nodiscard]] std::optional<struct stat> FileStat(const std::string& windowsPath);
  // The host path of a Windows path: existing components in their on-disk spelling, the rest
  // as given; nullopt for an invalid path or a drive that is not mapped.
  [[nodiscard]] std::optional<std::string> HostPath(const std::string& windowsPath);
  // The Windows path of an existing entry with every component in its on-disk spelling (the
  // drive letter and a final "\" as given, "." and ".." applied); nullopt when it is missing.
  [[nodiscard]] std::optional<std::string> OnDiskSpelling(const std::string& windowsPath);
  [[nodiscard]] const DriveMap& Drives() const { return locator_.Drives(); }
  // The descriptor of the watches of the kept answers (-1: none). The process that closes it
  // last waits there for the kernel's grace period of the removed watches (up to 16 ms and
  // more under load).
  [[nodiscard]] int WatchesDescriptor() const { return cache_.WatchesDescriptor(); }
  // Mode bits a new file gets (0666 less the umask).
  [[nodiscard]] mode_t NewFileMode() const { return 0666 & ~umask_; }
  // False when the host file surely does not exist (its folder's names are kept and do not
  // hold it): there is then nothing to probe for a hold.
  [[nodiscard]] bool MayExist(const std::string& hostPath) { return cache_.MayExist(hostPath); }
  // Removes the temporary files of replacements (".tunovar-new-*") in a host folder that no
  // live run holds: the leftovers of a run that was killed. Done before the first replacement
  // in each folder and when a folder to remove is not empty. How many were removed.
  int RemoveStaleTemporaryFiles(const std::string& folderHost);
  // True when another open file description holds a flock on the file that name names in the
  // folder dirFd (AT_FDCWD: name is a host path).
  [[nodiscard]] static bool HeldElsewhere(int dirFd, const char* name);
  // Waits until the file at a Windows path, held by another, is let go of, gone or changed,
  // or until at most maxMs have passed: it wakes on the holder's closing of the file, not on
  // a timer. kNotHeld at once when the file is there and held by nobody.
  enum class LetGo { kNotHeld, kLetGoOrChanged, kStillHeld };
  LetGo WaitUntilLetGo(const std::string& path, std::uint32_t maxMs);
  // Notes a name this program made or removed at a host path. In a folder this run made
  // itself, which is not watched, this is how its kept names learn of it.
  using OwnChange = FolderCache::OwnChange;
  void OwnNameChanged(const std::string& hostPath, OwnChange change) { cache_.OwnNameChanged(hostPath, change); }

 private:
  // dir: the folder's descriptor from the locator's answer, or none to name it by its path.
  std::unique_ptr<ReplacementFile> CreateReplacementIn(const std::string& parentHost, FolderFd dir,
                                                       const std::string& destHost, bool exists);
  // The opened probe of a held file and the watch of its closing, for WaitUntilLetGo.
  LetGo WaitForClosing(int fd, const std::string& host, std::uint32_t maxMs);

  FolderCache cache_;
  Locator locator_;
  UniqueFd letGoChanges_;  // the watches of WaitUntilLetGo, one at a time
  std::set<std::string> cleanedFolders_;  // host folders freed of stale temporary files
  std::set<std::string> aclFolders_;      // host folders with a default ACL
  mode_t lastReadMode_ = 0600;            // permission bits of the file opened for reading last
  mode_t umask_ = 022;
};

}  // namespace tunovar::posix
