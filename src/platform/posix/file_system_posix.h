// The file system of a Linux run: Windows paths on drive letters mapped to host folders.
//
// Lookups ignore letter case component by component, as on Windows (a CD may show
// tunovar/PDATA/1_TEXTE.TXT for TUNOVAR\pdata\1_texte.txt); new files and folders get the case
// of the path given. Names are Windows-1252 here and UTF-8 on the host. No path leaves its
// drive folder: ".." stops at the drive's root, and nothing is changed through a symbolic link
// that leads out of the drive folder. Read-only is a missing owner write bit; a file held with
// HoldOpen (a shared flock) cannot be deleted or replaced while it is held, as a file opened
// without delete sharing on Windows.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <fcntl.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/windows_path.h"
#include "platform/file_system.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/folder_name_set.h"
#include "platform/posix/unique_fd.h"

namespace tunovar::posix {

// The one mapping from the system's error numbers to FsStatus.
[[nodiscard]] FsStatus StatusOfErrno(int error);

// A kept folder's own descriptor (O_PATH), shared by the kept folder and whatever acts in it
// (a replacement until it is committed), so that it stays open as long as a call needs it.
using FolderFd = std::shared_ptr<const UniqueFd>;

// How a call names the entry at a host path: by its last name in its folder's descriptor when
// there is one (inFolder), so that the system walks no path; else by the whole host path.
[[nodiscard]] inline const char* AtNameOf(const std::string& host, bool inFolder) {
  return inFolder ? host.c_str() + host.rfind('/') + 1 : host.c_str();
}

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
  [[nodiscard]] const DriveMap& Drives() const { return drives_; }
  // The descriptor of the watches of the kept answers (-1: none). The process that closes it
  // last waits there for the kernel's grace period of the removed watches (up to 16 ms).
  [[nodiscard]] int WatchesDescriptor() const { return notify_.get(); }
  // Mode bits a new file gets (0666 less the umask).
  [[nodiscard]] mode_t NewFileMode() const { return 0666 & ~umask_; }
  // False when the host file surely does not exist (its folder's names are kept and do not
  // hold it): there is then nothing to probe for a hold.
  [[nodiscard]] bool MayExist(const std::string& hostPath);
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
  enum class OwnChange { kFileAdded, kFileRemoved, kFolderAdded, kFolderRemoved };
  void OwnNameChanged(const std::string& hostPath, OwnChange change);

 private:
  // A Windows path found on the host.
  struct Location {
    std::string root;                   // the drive's host folder
    std::string host;                   // host path, on-disk spelling where it exists
    std::string parentHost;             // host folder above it ("" for a drive root)
    WindowsPath windows;                // the parsed path
    std::vector<std::string> diskNames;  // on-disk names of the components found (UTF-8)
    bool found = false;                 // the whole path exists
    bool parentFound = false;           // the folder above it exists
    bool isLink = false;                // the entry itself is a symbolic link
    bool throughLink = false;           // a folder on the way is a symbolic link
    struct stat st {};                  // of the entry, following a link
    // The kept folder above it, reached without a link; none for a folder that is not kept.
    FolderFd parentDir;
    // The stamp of the kept folder whose names and host path this answer holds (0: none), so
    // that the next answer in the same folder copies only its last name.
    std::uint64_t folderStamp = 0;

    // An existing file, named without a final "\".
    [[nodiscard]] bool IsFile() const { return found && !windows.trailingSeparator && S_ISREG(st.st_mode); }
    // How a call names the entry: its last name in the kept folder above it, so that the
    // system walks no path; else its host path. Only for a path with a last name.
    [[nodiscard]] int AtFd() const { return parentDir ? parentDir->get() : AT_FDCWD; }
    [[nodiscard]] const char* AtName() const { return AtNameOf(host, parentDir != nullptr); }
  };
  // The entry at a Windows path; nullptr for an invalid path or a drive that is not mapped.
  // The answer stays valid until the next call of Locate.
  const Location* Locate(std::string_view path, FsStatus* status = nullptr);
  // The same answer for a path written as a kept folder's key, "\" and one more name (the
  // common case: the core names the files of a few folders again and again): one look at
  // that name, and nothing parsed or allocated anew. nullptr for any other path.
  const Location* LocateInKeptFolder(std::string_view path, FsStatus* status);
  // Puts a slot that holds no entry and whose strings are those of the kept folder with this
  // stamp at the next place of kept_, when there is one: only the last name is then written.
  void TakeSlotOfFolder(std::uint64_t stamp);
  bool EnsureDrive(char letter);
  // dir: the folder's descriptor from Locate's answer, or none to name it by its path.
  std::unique_ptr<ReplacementFile> CreateReplacementIn(const std::string& parentHost, FolderFd dir,
                                                       const std::string& destHost, bool exists);
  // True when the folder above the entry (entry: the entry itself, following a link) lies
  // inside the drive folder once every symbolic link is resolved.
  bool InsideDrive(const Location& at, bool entry);

  // ---- Kept answers (folder_names_posix.cpp) ----------------------------------------------
  // Asks the system to signal queued changes of the watches, so that a lookup with nothing
  // changed reads nothing.
  void StartWatching();
  // Called just before this program adds or removes a name in a host folder. Its own change
  // would signal the process (a signal's delivery costs more than the calls it takes to
  // avoid it): the signal is turned off until the changes are next read. Nothing kept is
  // trusted meanwhile, as ApplyFolderChanges, which every lookup calls first, turns it on
  // again and then reads every change queued, this one and any other.
  void BeforeOwnChange(const std::string& folder);

  // Every folder that a kept answer below depends on is watched with inotify, and every
  // change reported, this program's own or another's, is applied before a kept answer is
  // used: so an answer is as good as a fresh look at the disk. Without inotify nothing is
  // kept and every lookup walks its path.
  //
  // A folder this run made itself is not watched: its names are those this program put
  // there, each applied as its watch would report it (OwnNameChanged). A name another program
  // puts into it in the moment since is not seen, and need not be: a file placed under that
  // same name meets it when it is linked (EEXIST) and replaces it unless it is held.
  //
  // The names of a host folder, found by their upper-case Windows-1252 spelling, so that a
  // lookup in another case does not read the folder again.
  struct FolderNames {
    dev_t dev = 0;
    ino_t ino = 0;
    bool pathWatched = false;  // every folder from the drive's root to this one is watched
    FolderNameSet names;
  };
  // pathWatched: the caller watches every folder from the drive's root to this one.
  const FolderNames* NamesOf(const std::string& folder, bool pathWatched = false);
  // The kept names of a folder watched with every folder above it; nullptr otherwise.
  const FolderNames* KeptNamesOf(std::string_view folder) const;
  // The name in folder equal to name with letter case ignored (the smallest of several).
  std::optional<std::string> FindNoCase(const std::string& folder, std::string_view name,
                                        bool pathWatched = false);
  // Applies the changes inotify reported to the names, folders and entries that are kept.
  void ApplyFolderChanges();
  void ApplyNameChange(const std::string& folder, std::uint32_t mask, const std::string& name);
  // Forgets every kept folder and entry and every watch.
  void ForgetEverything();
  // Forgets a folder that went or moved, the folders watched below it, and whatever was
  // found through any of them.
  void Unwatch(const std::string& folder);
  // Watches a host folder; false when it cannot be watched (nothing below it is then kept).
  bool Watch(const std::string& folder);
  // The host folder is one this run made or lies below one.
  [[nodiscard]] bool BelowMadeFolder(std::string_view folder) const;
  // Notes that this program is about to make or write an entry in a host folder.
  void WritingIn(const std::string& folder);

  // A folder found from its Windows spelling (drive and components as given): a path below
  // it costs one look at its last name. Kept while no folder on its way changes.
  struct ResolvedFolder {
    std::string root;  // the drive's host folder
    std::string host;
    std::vector<std::string> components;  // its Windows names, as in its key
    std::vector<std::string> diskNames;
    // The folder itself (O_PATH), so that its last name is looked at without a walk from the
    // root; none beyond kFolderDescriptorsMax kept folders, or when it could not be opened.
    FolderFd fd;
    bool written = false;  // this program makes or writes entries in it
    std::uint64_t stamp = 0;  // no two kept folders of a run share one
    // Its kept names once they are read; they go only with every kept folder (Unwatch).
    const FolderNames* names = nullptr;
  };
  // Finds a kept folder by its key without making a string of it.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };
  static constexpr std::size_t kFolderDescriptorsMax = 256;  // well below the usual 1024 files
  // The Windows spelling of the folder above a path's last component ("C:\A\B").
  static std::string FolderKey(const WindowsPath& path);
  // The last few entries looked up, by the path as given: the core asks about one file
  // several times in a row (exists, time, open, replace, length). Forgotten on any change
  // reported in their folder.
  struct KeptEntry {
    std::string path;
    Location at;
    // Not found again; the folder's descriptor is let go of, so that a folder that went is
    // not kept open by an answer nobody uses.
    void Forget() {
      path.clear();
      at.parentDir.reset();
    }
  };
  static constexpr std::size_t kKeptEntries = 8;

  DriveMap drives_;
  std::set<char> readyDrives_;
  std::unordered_map<std::string, FolderNames, KeyHash, std::equal_to<>> folders_;
  std::unordered_map<std::string, int> watchOf_;               // host folder -> watch
  std::unordered_map<int, std::vector<std::string>> watched_;  // watch -> folders (one inode)
  std::set<std::string> written_;  // host folders this program makes or writes entries in
  std::set<std::string, std::less<>> made_;  // host folders this run made, not watched
  std::unordered_map<std::string, ResolvedFolder, KeyHash, std::equal_to<>> resolved_;
  // Host folder, a newline and the key of a name in it -> the kept folders found through it.
  std::unordered_map<std::string, std::vector<std::string>> dependents_;
  KeptEntry kept_[kKeptEntries];
  // The slots of kept_ in the order they are written in, the next at nextKept_.
  static_assert(kKeptEntries == 8, "keptOrder_ names every slot once");
  std::uint8_t keptOrder_[kKeptEntries] = {0, 1, 2, 3, 4, 5, 6, 7};
  Location last_;  // the answer of the last Locate that was not kept
  std::size_t nextKept_ = 0;
  KeptEntry& NextKeptSlot() { return kept_[keptOrder_[nextKept_ % kKeptEntries]]; }
  FolderNames unkept_;  // the names of a folder read without keeping them
  UniqueFd notify_;
  UniqueFd letGoChanges_;  // the watches of WaitUntilLetGo, one at a time
  bool signalled_ = false;        // the system signals queued changes (else: read every time)
  std::uint32_t signalsSeen_ = 0;  // the signal count when the changes were last read
  bool armed_ = true;              // the signals go to owner_ (off around an own change)
  pid_t owner_ = 0;                // this process
  std::uint64_t lastStamp_ = 0;
  // Counts the changes applied to what is kept: a lookup during which it moved keeps nothing.
  std::uint64_t changesApplied_ = 0;
  std::string dependentKey_;               // room for a key of dependents_
  std::vector<std::string> eventPaths_;    // room for the folders of one watch
  std::map<std::string, std::string> realRoots_;
  std::set<std::string> cleanedFolders_;  // host folders freed of stale temporary files
  std::set<std::string> aclFolders_;      // host folders with a default ACL
  mode_t lastReadMode_ = 0600;            // permission bits of the file opened for reading last
  mode_t umask_ = 022;
};

}  // namespace tunovar::posix
