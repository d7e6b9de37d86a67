// What the POSIX file system keeps of folders, and the inotify watches that keep it true.
#include "platform/posix/folder_cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/ansi_text.h"
#include "base/disk_names.h"

namespace tunovar::posix {
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

FolderCache::FolderCache() : notify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) { StartSignals(); }

FolderCache::~FolderCache() = default;

bool FolderCache::MayExist(const std::string& hostPath) {
  const std::size_t slash = hostPath.rfind('/');
  if (slash == std::string::npos) return true;
  ApplyChanges();
  const FolderNames* names = KeptNamesOf(std::string_view(hostPath).substr(0, slash));
  if (names == nullptr) return true;
  const std::string_view name = std::string_view(hostPath).substr(slash + 1);
  const auto key = KeyOfDiskName(name);
  if (!key) return true;
  return names->names.Contains(*key, name);
}

bool FolderCache::Watch(const std::string& folder) {
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

void FolderCache::WritingIn(const std::string& folder) {
  // The files this program writes would be reported back change by change (contents, times,
  // permissions of each new file): a folder it makes files or folders in is watched for its
  // names only, and no entry of it is kept. A folder it only deletes from stays watched whole.
  if (!written_.insert(folder).second) return;
  for (KeptEntry& kept : kept_) {
    if (kept.at.parentHost == folder) kept.Forget();
  }
  for (auto& [key, kept] : folders_) {
    if (kept.host == folder) kept.written = true;
  }
  if (watchOf_.find(folder) != watchOf_.end()) (void)inotify_add_watch(notify_.get(), folder.c_str(), kNameEvents);
}

void FolderCache::ForgetEverything() {
  ++changes_;
  if (notify_) {
    for (const auto& [watch, paths] : watched_) inotify_rm_watch(notify_.get(), watch);
  }
  names_.clear();
  watchOf_.clear();
  watched_.clear();
  written_.clear();
  folders_.clear();
  dependents_.clear();
  for (KeptEntry& kept : kept_) kept.Forget();
}

void FolderCache::ForgetMadeBelow(const std::string& folder) {
  const std::string below = folder + '/';
  for (auto it = made_.lower_bound(folder); it != made_.end() && it->compare(0, folder.size(), folder) == 0;) {
    if (*it != folder && it->compare(0, below.size(), below) != 0) {
      ++it;
      continue;
    }
    names_.erase(*it);
    written_.erase(*it);
    it = made_.erase(it);
  }
}

void FolderCache::Unwatch(const std::string& folder) {
  ++changes_;
  // The folders below a folder that went or moved are no longer where their paths say.
  ForgetMadeBelow(folder);
  const std::string below = folder + '/';
  for (auto it = watchOf_.begin(); it != watchOf_.end();) {
    if (it->first != folder && it->first.compare(0, below.size(), below) != 0) {
      ++it;
      continue;
    }
    names_.erase(it->first);
    written_.erase(it->first);
    auto& paths = watched_[it->second];
    paths.erase(std::remove(paths.begin(), paths.end(), it->first), paths.end());
    if (paths.empty()) {
      watched_.erase(it->second);
      inotify_rm_watch(notify_.get(), it->second);
    }
    it = watchOf_.erase(it);
  }
  folders_.clear();
  dependents_.clear();
  for (KeptEntry& kept : kept_) kept.Forget();
}

void FolderCache::ApplyNameChange(const std::string& folder, std::uint32_t mask, const std::string& name) {
  ++changes_;
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
    for (const std::string& below : through->second) folders_.erase(below);
    dependents_.erase(through);
  }
  const auto names = names_.find(folder);
  if (names == names_.end()) return;
  if ((mask & (IN_CREATE | IN_MOVED_TO)) != 0) {
    names->second.names.Add(*key, name);
  } else if ((mask & (IN_DELETE | IN_MOVED_FROM)) != 0) {
    names->second.names.Remove(*key, name);
  }
}

bool FolderCache::BelowMadeFolder(std::string_view folder) const {
  // The folder and each folder above it, looked up: as many look-ups as names on its way, not
  // as many as folders made.
  for (std::size_t end = folder.size(); end != 0 && end != std::string_view::npos; end = folder.rfind('/', end - 1)) {
    if (made_.find(folder.substr(0, end)) != made_.end()) return true;
  }
  return false;
}

void FolderCache::OwnNameChanged(const std::string& hostPath, OwnChange change) {
  const std::size_t slash = hostPath.rfind('/');
  if (made_.empty() || slash == std::string::npos) return;
  const auto folder = made_.find(std::string_view(hostPath).substr(0, slash));
  if (folder == made_.end()) return;  // a watched folder reports it itself
  static constexpr std::uint32_t kMasks[] = {IN_CREATE, IN_DELETE, IN_CREATE | IN_ISDIR, IN_DELETE | IN_ISDIR};
  // Copied: a folder's removal forgets the made folders below it.
  const std::string folderHost = *folder;
  ApplyNameChange(folderHost, kMasks[static_cast<int>(change)], hostPath.substr(slash + 1));
}

void FolderCache::ApplyChanges() {
  if (!notify_ || NothingSignalled()) return;
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
    ApplyEvents(buffer, static_cast<std::size_t>(n));
    if (TookAllSignalled(static_cast<std::size_t>(n), sizeof buffer)) return;
  }
}

void FolderCache::ApplyEvents(const char* buffer, std::size_t size) {
  for (std::size_t at = 0; at < size;) {
    const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
    at += sizeof(inotify_event) + event->len;
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
}

const FolderCache::FolderNames* FolderCache::KeptNamesOf(std::string_view folder) const {
  const auto it = names_.find(folder);
  return it != names_.end() && it->second.pathWatched ? &it->second : nullptr;
}

const FolderCache::FolderNames* FolderCache::NamesOf(const std::string& folder, bool pathWatched) {
  ApplyChanges();
  // A folder watched with every folder above it cannot have moved unnoticed.
  if (const FolderNames* kept = KeptNamesOf(folder)) return kept;
  // A watch on a folder that went or was replaced would report another folder's changes.
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    Unwatch(folder);
    return nullptr;
  }
  const auto it = names_.find(folder);
  if (it != names_.end()) {
    // The same path may have come to name another folder (a folder above it was renamed).
    if (it->second.dev == st.st_dev && it->second.ino == st.st_ino) {
      it->second.pathWatched = it->second.pathWatched || pathWatched;
      return &it->second;
    }
    Unwatch(folder);
  }
  // Watched before it is read, so that no change falls between the two.
  if (names_.size() >= kKeptFoldersMax || !Watch(folder)) {
    ReadNames(folder, unkept_.names);
    return &unkept_;
  }
  FolderNames& names = names_[folder];
  names.dev = st.st_dev;
  names.ino = st.st_ino;
  names.pathWatched = pathWatched;
  ReadNames(folder, names.names);
  ApplyChanges();
  const auto kept = names_.find(folder);
  return kept != names_.end() ? &kept->second : nullptr;
}

std::optional<std::string> FolderCache::FindNoCase(const std::string& folder, std::string_view name,
                                                   bool pathWatched) {
  const FolderNames* names = NamesOf(folder, pathWatched);
  if (names == nullptr) return std::nullopt;
  return names->names.Spelling(UCase(name));
}

FolderCache::KeptFolder* FolderCache::FolderOf(std::string_view key) {
  const auto it = folders_.find(key);
  if (it == folders_.end()) return nullptr;
  if (it->second.names == nullptr) it->second.names = KeptNamesOf(it->second.host);
  return &it->second;
}

void FolderCache::KeepFolder(const std::string& key, KeptFolder folder, std::vector<std::string>& steps) {
  folder.written = written_.count(folder.host) != 0;
  folder.stamp = ++lastStamp_;
  folders_[key] = std::move(folder);
  for (std::string& step : steps) dependents_[std::move(step)].push_back(key);
}

const Location* FolderCache::EntryOf(std::string_view path) const {
  for (const KeptEntry& kept : kept_) {
    if (!kept.path.empty() && kept.path == path) return &kept.at;
  }
  return nullptr;
}

void FolderCache::Advance(std::string_view path) {
  Slot().path.assign(path);
  ++nextKept_;
}

void FolderCache::TakeSlotOfFolder(std::uint64_t stamp) {
  const std::size_t next = nextKept_ % kKeptEntries;
  if (kept_[keptOrder_[next]].at.folderStamp == stamp) return;
  // A slot of the same folder that nothing is kept in any more (its entry changed: a file the
  // uninstaller deleted is looked up again next) takes the next place in the ring, and the
  // slot that was there takes its place, so that no kept entry is lost.
  for (std::size_t place = 0; place < kKeptEntries; ++place) {
    const KeptEntry& other = kept_[keptOrder_[place]];
    if (other.path.empty() && other.at.folderStamp == stamp) {
      std::swap(keptOrder_[place], keptOrder_[next]);
      return;
    }
  }
}

}  // namespace tunovar::posix
