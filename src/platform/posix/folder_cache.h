// What the POSIX file system keeps of the folders it looked at, and the inotify watches that
// keep it true.
//
// KEPT, AND WHAT MAKES EACH STALE
//   names    The names of a host folder (FolderNames), by their upper-case Windows-1252 key, so
//            that a lookup in another case or of a missing name reads no folder. Stale when a
//            name comes or goes in it (applied name by name), when it goes or moves (forgotten,
//            with everything below it), or when its path comes to name another folder (its
//            device and inode differ: read again). Trusted without a look at the disk only when
//            every folder from the drive's root to it is watched (pathWatched).
//   folders  A folder found from its Windows spelling (KeptFolder, by that key): its host path,
//            its on-disk names and its O_PATH descriptor, so that a path below it costs one
//            look at its last name. Stale when a name it was found through changes in a folder
//            on its way (dependents_), and with every other kept folder when any watched folder
//            goes.
//   entries  The last kKeptEntries answers of the locator (KeptEntry, by the path as given):
//            the core asks about one file several times in a row. Stale on any change in the
//            entry's folder, on any change of a folder anywhere (an entry is below a folder only
//            by its path), and when this program starts writing in that folder.
//   made     Folders this run made. Not watched: their names are those this program put there,
//            each applied as its watch would report it (OwnNameChanged).
//   written  Folders this program makes or writes entries in. Watched for names only (the files
//            it writes would report every write back), and no entry of them is kept.
//
// ORDERING
//   1. A folder is watched before it is looked at or read, so that no change falls between.
//   2. Every queued change is applied before anything kept is used: the locator calls
//      ApplyChanges first; NamesOf applies the queue again after a folder's names are read.
//      The system signals every change queued (SIGIO), and the queue is read only when the
//      count of signals moved since it was last read; the count is taken before the read, so
//      a change queued during the read is read next time. Around the program's own change the
//      signal is off (BeforeOwnChange), and the next read is made whatever the count says.
//   3. A lookup during which any change was applied (Changes() moved) keeps no answer: what it
//      saw before the change may be gone.
//   4. A folder that goes or moves is forgotten on its parent's report at once: its own watch
//      reports it only when the last descriptor of it is closed, and kept folders hold one.
//   5. A full queue (IN_Q_OVERFLOW) or a failed read forgets everything.
//
// RACES ACCEPTED (the promise is as strong as inotify, no stronger)
//   - Folders the run made: a name another program puts into one in the moment after it was
//     made is not seen. A file placed under that name meets it when it is linked (EEXIST) and
//     replaces it unless it is held. A link put in place of a made folder: a made folder is
//     kept only with a descriptor of its own, which the link does not replace.
//   - Network and FUSE file systems (NFS, SMB, sshfs): inotify reports only changes made
//     through this kernel. Another host's changes are never reported, and what is kept of such
//     a folder may be stale for the rest of the run.
//   - Hard links: a file's contents, times or permissions changed through a link in another
//     folder are reported to that folder's watch, not to this one: a kept entry's length, time
//     and permissions may then be stale. Its name and existence are not.
//   - Another program's change is seen once its signal has arrived, a moment after the change
//     (the system delivers it when this process next runs): a lookup in that moment answers as
//     just before the change.
//   - Any answer may be overtaken by a change between it and the call that acts on it, as on
//     Windows; the calls themselves refuse what no longer fits (ENOENT, EEXIST).
//   - Without inotify, or beyond kKeptFoldersMax folders, nothing more is kept: each lookup
//     then walks its path and reads the folder when a name is missing.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/folder_name_set.h"
#include "platform/posix/host_location.h"
#include "platform/posix/unique_fd.h"

namespace tunovar::posix {

class FolderCache {
 public:
  FolderCache();
  ~FolderCache();
  FolderCache(const FolderCache&) = delete;
  FolderCache& operator=(const FolderCache&) = delete;

  struct FolderNames {
    dev_t dev = 0;
    ino_t ino = 0;
    bool pathWatched = false;  // every folder from the drive's root to this one is watched
    FolderNameSet names;
  };
  struct KeptFolder {
    std::string root;  // the drive's host folder
    std::string host;
    std::vector<std::string> components;  // its Windows names, as in its key
    std::vector<std::string> diskNames;
    // The folder itself (O_PATH); none beyond kFolderDescriptorsMax kept folders, or when it
    // could not be opened.
    FolderFd fd;
    bool written = false;     // this program makes or writes entries in it
    std::uint64_t stamp = 0;  // no two kept folders of a run share one
    // Its kept names once they are read; they go only with every kept folder (Unwatch).
    const FolderNames* names = nullptr;
  };
  enum class OwnChange { kFileAdded, kFileRemoved, kFolderAdded, kFolderRemoved };
  static constexpr std::size_t kKeptEntries = 8;
  static constexpr std::size_t kFolderDescriptorsMax = 256;  // well below the usual 1024 files

  // ---- Changes --------------------------------------------------------------------------
  // False without inotify: nothing is kept.
  [[nodiscard]] bool Watching() const { return notify_.valid(); }
  // The descriptor of the watches (-1: none).
  [[nodiscard]] int WatchesDescriptor() const { return notify_.get(); }
  // Applies every change inotify queued to what is kept.
  void ApplyChanges();
  // Moves with every change applied to what is kept.
  [[nodiscard]] std::uint64_t Changes() const { return changes_; }
  // Watches a host folder; false when it cannot be watched (nothing below it is then kept).
  bool Watch(const std::string& folder);

  // ---- Names ----------------------------------------------------------------------------
  // The names of a folder, read and kept when they are not. pathWatched: the caller watches
  // every folder from the drive's root to this one. nullptr when it is no folder.
  const FolderNames* NamesOf(const std::string& folder, bool pathWatched = false);
  // The kept names of a folder watched with every folder above it; nullptr otherwise.
  [[nodiscard]] const FolderNames* KeptNamesOf(std::string_view folder) const;
  // The name in folder equal to name (Windows-1252) with letter case ignored.
  std::optional<std::string> FindNoCase(const std::string& folder, std::string_view name, bool pathWatched = false);
  // False when the host file surely does not exist (its folder's names are kept and do not
  // hold it).
  [[nodiscard]] bool MayExist(const std::string& hostPath);

  // ---- This program's own changes -------------------------------------------------------
  // Notes that this program is about to make or write an entry in a host folder.
  void WritingIn(const std::string& folder);
  [[nodiscard]] bool Written(const std::string& folder) const { return written_.count(folder) != 0; }
  // Called just before this program adds or removes a name in a host folder: its change is
  // not signalled, and the next ApplyChanges reads the whole queue.
  void BeforeOwnChange(const std::string& folder);
  // Notes a name this program made or removed at a host path (in a made folder, the only
  // report there is).
  void OwnNameChanged(const std::string& hostPath, OwnChange change);
  // Notes a folder this run made.
  void Made(const std::string& host) { made_.insert(host); }
  [[nodiscard]] bool AnyMade() const { return !made_.empty(); }
  [[nodiscard]] bool BelowMadeFolder(std::string_view folder) const;

  // ---- Kept folders ---------------------------------------------------------------------
  [[nodiscard]] KeptFolder* FolderOf(std::string_view key);
  [[nodiscard]] bool AnyFolder() const { return !folders_.empty(); }
  [[nodiscard]] bool RoomForDescriptor() const { return folders_.size() < kFolderDescriptorsMax; }
  // Keeps a folder by its key; steps: each folder on its way, a newline and the key of the
  // next name, whose change forgets it.
  void KeepFolder(const std::string& key, KeptFolder folder, std::vector<std::string>& steps);

  // ---- Kept entries ---------------------------------------------------------------------
  // The kept answer for a path as given; nullptr when there is none.
  [[nodiscard]] const Location* EntryOf(std::string_view path) const;
  // The slot the next kept answer is written to; Advance once it holds one.
  [[nodiscard]] Location& NextSlot() { return Slot().at; }
  void ClearNextSlotPath() { Slot().path.clear(); }
  void Advance(std::string_view path);
  // Puts a slot that holds no entry and whose strings are those of the kept folder with this
  // stamp at the next place, when there is one: only the last name is then written.
  void TakeSlotOfFolder(std::uint64_t stamp);

 private:
  struct KeptEntry {
    std::string path;
    Location at;
    // The folder's descriptor is let go of, so that a folder that went is not kept open by an
    // answer nobody uses.
    void Forget() {
      path.clear();
      at.parentDir.reset();
    }
  };
  // Finds a kept folder by its key without making a string of it.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };
  KeptEntry& Slot() { return kept_[keptOrder_[nextKept_ % kKeptEntries]]; }
  // Change signals: a lookup with nothing queued reads nothing (folder_cache_signals.cpp).
  void StartSignals();
  [[nodiscard]] bool NothingSignalled();
  [[nodiscard]] bool TookAllSignalled(std::size_t bytesRead, std::size_t room) const;
  void ApplyEvents(const char* buffer, std::size_t size);
  void ApplyNameChange(const std::string& folder, std::uint32_t mask, const std::string& name);
  void ForgetEverything();
  // Forgets a folder that went or moved, the folders watched below it, and whatever was found
  // through any of them.
  void Unwatch(const std::string& folder);
  void ForgetMadeBelow(const std::string& folder);

  UniqueFd notify_;
  std::uint64_t changes_ = 0;
  std::unordered_map<std::string, FolderNames, KeyHash, std::equal_to<>> names_;
  FolderNames unkept_;                                         // a folder read without keeping it
  std::unordered_map<std::string, int> watchOf_;               // host folder -> watch
  std::unordered_map<int, std::vector<std::string>> watched_;  // watch -> folders (one inode)
  std::set<std::string> written_;
  std::set<std::string, std::less<>> made_;
  std::unordered_map<std::string, KeptFolder, KeyHash, std::equal_to<>> folders_;
  // Host folder, a newline and the key of a name in it -> the kept folders found through it.
  std::unordered_map<std::string, std::vector<std::string>> dependents_;
  KeptEntry kept_[kKeptEntries];
  // The slots of kept_ in the order they are written in, the next at nextKept_.
  static_assert(kKeptEntries == 8, "keptOrder_ names every slot once");
  std::uint8_t keptOrder_[kKeptEntries] = {0, 1, 2, 3, 4, 5, 6, 7};
  std::size_t nextKept_ = 0;
  std::uint64_t lastStamp_ = 0;
  std::string dependentKey_;             // room for a key of dependents_
  std::vector<std::string> eventPaths_;  // room for the folders of one watch
  bool signalled_ = false;               // the system signals queued changes (else: read every time)
  std::uint32_t signalsSeen_ = 0;        // the signal count when the changes were last read
  bool armed_ = true;                    // the signals go to owner_ (off around an own change)
  pid_t owner_ = 0;                      // this process
};

}  // namespace tunovar::posix
