// The POSIX file system's kept answers: the names of the folders it looked at, the folders and
// entries it found, and the inotify watches that keep them as good as a fresh look at the disk.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "base/ansi_text.h"
#include "platform/posix/disk_names.h"
#include "platform/posix/file_system_posix.h"
#include "platform/posix/unique_fd.h"

namespace tunovar::posix {
namespace {

// The count of change signals received, for every file system of the process: a signal
// handler has nothing else to write to. A file system reads its changes only when the count
// has moved since it last read them, so that a lookup with nothing changed costs no call.
std::atomic<std::uint32_t> changeSignals{0};

void CountChangeSignal(int) { changeSignals.fetch_add(1, std::memory_order_relaxed); }

// Asks the system to signal process owner whenever changes are queued on fd.
bool SignalChanges(int fd, pid_t owner) {
  static const bool handled = [] {
    struct sigaction action {};
    action.sa_handler = CountChangeSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGIO, &action, nullptr) == 0;
  }();
  if (!handled || fcntl(fd, F_SETOWN, owner) != 0) return false;
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_ASYNC) == 0;
}

}  // namespace

void PosixFileSystem::StartWatching() {
  owner_ = getpid();
  signalled_ = notify_ && SignalChanges(notify_.get(), owner_);
}

void PosixFileSystem::BeforeOwnChange(const std::string& folder) {
  // Only a watched folder reports the change; nobody is signalled until the changes are next
  // read, which is the first thing the next lookup does.
  if (!signalled_ || !armed_ || watchOf_.find(folder) == watchOf_.end()) return;
  if (fcntl(notify_.get(), F_SETOWN, 0) == 0) armed_ = false;
}

bool PosixFileSystem::MayExist(const std::string& hostPath) {
  const std::size_t slash = hostPath.rfind('/');
  if (slash == std::string::npos) return true;
  ApplyFolderChanges();
  const FolderNames* names = KeptNamesOf(std::string_view(hostPath).substr(0, slash));
  if (names == nullptr) return true;
  const std::string_view name = std::string_view(hostPath).substr(slash + 1);
  const auto key = KeyOfDiskName(name);
  if (!key) return true;
  return names->names.Contains(*key, name);
}

namespace {

constexpr std::size_t kKeptFoldersMax = 1024;  // a bound on inotify watches
// Names coming and going and the folder itself going; in a folder this program only reads,
// also changes to an entry's contents, times or permissions (which a kept entry holds).
constexpr std::uint32_t kNameEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t kFolderEvents = kNameEvents | IN_ATTRIB | IN_MODIFY;

void ReadNames(const std::string& folder, FolderNameSet& names) {
  names.Clear();
  const UniqueDir dir(opendir(folder.c_str()));
  if (!dir) return;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view disk(entry->d_name);
    if (disk == "." || disk == "..") continue;
    if (auto key = KeyOfDiskName(disk)) names.Add(*key, disk);
  }
}

}  // namespace

bool PosixFileSystem::Watch(const std::string& folder) {
  if (!notify_) return false;
  // Its names change only by this program's own calls, each applied as it is made.
  if (made_.count(folder) != 0) return true;
  if (watchOf_.count(folder) != 0) return true;
  if (watchOf_.size() >= kKeptFoldersMax) return false;
  const int watch =
      inotify_add_watch(notify_.get(), folder.c_str(), written_.count(folder) != 0 ? kNameEvents : kFolderEvents);
  if (watch < 0) return false;
  watchOf_[folder] = watch;
  auto& paths = watched_[watch];
  if (std::find(paths.begin(), paths.end(), folder) == paths.end()) paths.push_back(folder);
  return true;
}

void PosixFileSystem::WritingIn(const std::string& folder) {
  // The files this program writes would be reported back change by change (contents, times,
  // permissions of each new file): a folder it makes files or folders in is watched for its
  // names only, and no entry of it is kept. A folder it only deletes from stays watched whole.
  if (!written_.insert(folder).second) return;
  for (KeptEntry& kept : kept_) {
    if (kept.at.parentHost == folder) kept.Forget();
  }
  for (auto& [key, resolved] : resolved_) {
    if (resolved.host == folder) resolved.written = true;
  }
  if (const auto it = watchOf_.find(folder); it != watchOf_.end()) {
    (void)inotify_add_watch(notify_.get(), folder.c_str(), kNameEvents);
  }
}

void PosixFileSystem::ForgetEverything() {
  ++changesApplied_;
  if (notify_) {
    for (const auto& [watch, paths] : watched_) inotify_rm_watch(notify_.get(), watch);
  }
  folders_.clear();
  watchOf_.clear();
  watched_.clear();
  written_.clear();
  resolved_.clear();
  dependents_.clear();
  for (KeptEntry& kept : kept_) kept.Forget();
}

void PosixFileSystem::Unwatch(const std::string& folder) {
  ++changesApplied_;
  // The folders below a folder that went or moved are no longer where their paths say.
  const std::string below = folder + '/';
  for (auto it = made_.lower_bound(folder); it != made_.end() && it->compare(0, folder.size(), folder) == 0;) {
    if (*it != folder && it->compare(0, below.size(), below) != 0) {
      ++it;
      continue;
    }
    folders_.erase(*it);
    written_.erase(*it);
    it = made_.erase(it);
  }
  for (auto it = watchOf_.begin(); it != watchOf_.end();) {
    if (it->first != folder && it->first.compare(0, below.size(), below) != 0) {
      ++it;
      continue;
    }
    folders_.erase(it->first);
    written_.erase(it->first);
    auto& paths = watched_[it->second];
    paths.erase(std::remove(paths.begin(), paths.end(), it->first), paths.end());
    if (paths.empty()) {
      watched_.erase(it->second);
      inotify_rm_watch(notify_.get(), it->second);
    }
    it = watchOf_.erase(it);
  }
  resolved_.clear();
  dependents_.clear();
  for (KeptEntry& kept : kept_) kept.Forget();
}

void PosixFileSystem::ApplyNameChange(const std::string& folder, std::uint32_t mask, const std::string& name) {
  ++changesApplied_;
  for (KeptEntry& kept : kept_) {
    // An entry in this folder; any entry when a folder changed, since an entry below it is
    // below it only by its path.
    if ((mask & IN_ISDIR) != 0 || kept.at.parentHost == folder) kept.Forget();
  }
  // A folder that went or moved away is forgotten at once, with what was found through it,
  // even while a descriptor of it is still open (its own watch reports it only when the last
  // one is closed).
  if ((mask & IN_ISDIR) != 0 && (mask & (IN_DELETE | IN_MOVED_FROM)) != 0) Unwatch(Join(folder, name));
  // Contents, times or permissions (every file this program deletes reports its link count
  // first): no name came or went.
  if ((mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)) == 0) return;
  // A name without a Windows spelling is never found, so no folder is found through it.
  const auto key = KeyOfDiskName(name);
  if (!key) return;
  // Made in a string that keeps its room: there is a change a file the program makes or deletes.
  dependentKey_.assign(folder);
  dependentKey_ += '\n';
  dependentKey_ += *key;
  if (const auto through = dependents_.find(dependentKey_); through != dependents_.end()) {
    for (const std::string& below : through->second) resolved_.erase(below);
    dependents_.erase(through);
  }
  const auto names = folders_.find(folder);
  if (names == folders_.end()) return;
  if ((mask & (IN_CREATE | IN_MOVED_TO)) != 0) {
    names->second.names.Add(*key, name);
  } else if ((mask & (IN_DELETE | IN_MOVED_FROM)) != 0) {
    names->second.names.Remove(*key, name);
  }
}

bool PosixFileSystem::BelowMadeFolder(std::string_view folder) const {
  // The folder and each folder above it, looked up: as many look-ups as names on its way, not
  // as many as folders made.
  for (std::size_t end = folder.size(); end != 0 && end != std::string_view::npos; end = folder.rfind('/', end - 1)) {
    if (made_.find(folder.substr(0, end)) != made_.end()) return true;
  }
  return false;
}

void PosixFileSystem::OwnNameChanged(const std::string& hostPath, OwnChange change) {
  const std::size_t slash = hostPath.rfind('/');
  if (made_.empty() || slash == std::string::npos) return;
  const auto folder = made_.find(std::string_view(hostPath).substr(0, slash));
  if (folder == made_.end()) return;  // a watched folder reports it itself
  static constexpr std::uint32_t kMasks[] = {IN_CREATE, IN_DELETE, IN_CREATE | IN_ISDIR, IN_DELETE | IN_ISDIR};
  // Copied: a folder's removal forgets the made folders below it.
  const std::string folderHost = *folder;
  ApplyNameChange(folderHost, kMasks[static_cast<int>(change)], hostPath.substr(slash + 1));
}

void PosixFileSystem::ApplyFolderChanges() {
  if (!notify_) return;
  if (signalled_ && !armed_) {
    // Signals go to this process again before the queue is read: whatever the read below
    // does not take is signalled. Where they cannot, the changes are read on every lookup.
    armed_ = fcntl(notify_.get(), F_SETOWN, owner_) == 0;
    signalled_ = armed_;
    signalsSeen_ = changeSignals.load(std::memory_order_acquire);
  } else if (signalled_) {
    // Taken before reading: a change queued after this has its own signal.
    const std::uint32_t count = changeSignals.load(std::memory_order_acquire);
    if (count == signalsSeen_) return;
    signalsSeen_ = count;
  }
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t n = read(notify_.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0 && errno != EAGAIN) {
        // The watch is lost: nothing is kept any more, every lookup reads its folder.
        ForgetEverything();
        notify_.reset();
      }
      return;
    }
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & IN_Q_OVERFLOW) != 0) {
        ForgetEverything();  // changes were lost
        continue;
      }
      const auto owners = watched_.find(event->wd);
      if (owners == watched_.end()) continue;
      if ((event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) != 0) {
        // A watched folder went: whatever was found through it is looked up again.
        const std::vector<std::string> paths = owners->second;
        for (const std::string& path : paths) Unwatch(path);
        continue;
      }
      if (event->len == 0) continue;
      const std::string name(event->name);
      // Copied, as applying a change may forget watches; into a list that keeps its room.
      eventPaths_ = owners->second;
      for (const std::string& path : eventPaths_) ApplyNameChange(path, event->mask, name);
    }
    // A read with room left for another event took all that was queued; whatever comes later
    // is signalled again.
    if (signalled_ && static_cast<std::size_t>(n) + sizeof(inotify_event) + NAME_MAX + 1 <= sizeof buffer) return;
  }
}

const PosixFileSystem::FolderNames* PosixFileSystem::KeptNamesOf(std::string_view folder) const {
  const auto it = folders_.find(folder);
  return it != folders_.end() && it->second.pathWatched ? &it->second : nullptr;
}

const PosixFileSystem::FolderNames* PosixFileSystem::NamesOf(const std::string& folder, bool pathWatched) {
  ApplyFolderChanges();
  // A folder watched with every folder above it cannot have moved unnoticed.
  if (const FolderNames* kept = KeptNamesOf(folder)) return kept;
  // A watch on a folder that went or was replaced would report another folder's changes.
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    Unwatch(folder);
    return nullptr;
  }
  const auto it = folders_.find(folder);
  if (it != folders_.end()) {
    // The same path may have come to name another folder (a folder above it was renamed).
    if (it->second.dev == st.st_dev && it->second.ino == st.st_ino) {
      it->second.pathWatched = it->second.pathWatched || pathWatched;
      return &it->second;
    }
    Unwatch(folder);
  }
  // Watched before it is read, so that no change falls between the two.
  if (folders_.size() >= kKeptFoldersMax || !Watch(folder)) {
    ReadNames(folder, unkept_.names);
    return &unkept_;
  }
  FolderNames& names = folders_[folder];
  names.dev = st.st_dev;
  names.ino = st.st_ino;
  names.pathWatched = pathWatched;
  ReadNames(folder, names.names);
  ApplyFolderChanges();
  const auto kept = folders_.find(folder);
  return kept != folders_.end() ? &kept->second : nullptr;
}

std::optional<std::string> PosixFileSystem::FindNoCase(const std::string& folder, std::string_view name,
                                                       bool pathWatched) {
  const FolderNames* names = NamesOf(folder, pathWatched);
  if (names == nullptr) return std::nullopt;
  return names->names.Spelling(UCase(name));
}

}  // namespace tunovar::posix
