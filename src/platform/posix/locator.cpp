// The POSIX file system's locator: Windows paths found on the host, through the folder cache.
#include "platform/posix/locator.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "base/ansi_text.h"
#include "base/ansi_utf8.h"
#include "base/disk_names.h"
#include "platform/posix/xdg_dirs.h"

namespace tunovar::posix {

bool Locator::EnsureDrive(char letter) {
  const auto root = drives_.Root(letter);
  if (!root) return false;
  const char key = ToUpperAnsi(letter);
  if (readyDrives_.count(key) != 0) return true;
  // A drive folder is made on first use; drive C: gets its Windows folder, as a fresh Windows
  // has one.
  if (!MakeHostFolders(*root)) return false;
  struct stat st {};
  if (key == 'C' && lstat(Join(*root, "WINDOWS").c_str(), &st) != 0 && !cache_.FindNoCase(*root, "WINDOWS")) {
    (void)mkdir(Join(*root, "WINDOWS").c_str(), 0777);
  }
  realRoots_[*root] = RealPath(*root).value_or(*root);
  readyDrives_.insert(key);
  return true;
}

std::string Locator::FolderKey(const WindowsPath& path) {
  std::string key{path.drive, ':'};
  std::size_t length = key.size();
  for (std::size_t i = 0; i + 1 < path.components.size(); ++i) length += 1 + path.components[i].size();
  key.reserve(length);
  for (std::size_t i = 0; i + 1 < path.components.size(); ++i) {
    key += '\\';
    key += path.components[i];
  }
  return key;
}

const Location* Locator::Locate(std::string_view path, FsStatus* status) {
  last_.parentDir.reset();  // the last answer is over
  cache_.ApplyChanges();
  const std::uint64_t changesBefore = cache_.Changes();
  if (const Location* kept = cache_.EntryOf(path)) {
    if (status != nullptr) *status = kept->found ? FsStatus::kOk : FsStatus::kNotFound;
    return kept;
  }
  if (const Location* at = LocateInKeptFolder(path, status)) return at;
  auto parsed = ParseWindowsPath(path);
  if (!parsed) {
    if (status != nullptr) *status = FsStatus::kInvalidPath;
    return nullptr;
  }
  if (!EnsureDrive(parsed->drive)) {
    if (status != nullptr) *status = FsStatus::kNotFound;
    return nullptr;
  }
  Walk walk;
  walk.at.root = *drives_.Root(parsed->drive);
  walk.at.windows = std::move(*parsed);
  StartWalk(walk);
  for (std::size_t i = walk.first; i < walk.at.windows.components.size(); ++i) StepInto(walk, i);
  FinishWalk(walk);
  if (status != nullptr) *status = walk.at.found ? FsStatus::kOk : FsStatus::kNotFound;
  return KeepWalk(path, walk, changesBefore);
}

void Locator::StartWalk(Walk& walk) {
  walk.current = walk.at.root;
  walk.keep = cache_.Watching();
  const std::size_t count = walk.at.windows.components.size();
  if (count == 0) {
    walk.found = lstat(walk.current.c_str(), &walk.own) == 0;
    return;
  }
  // The folder above the last name, when it is kept: only the last name is looked at.
  walk.folderKey = FolderKey(walk.at.windows);
  if (const FolderCache::KeptFolder* folder = cache_.FolderOf(walk.folderKey)) {
    walk.current = folder->host;
    walk.at.diskNames = folder->diskNames;
    walk.first = count - 1;
    walk.folderFd = folder->fd;
  }
}

void Locator::StepInto(Walk& walk, std::size_t i) {
  Location& at = walk.at;
  const std::size_t count = at.windows.components.size();
  std::string name = AnsiToUtf8(at.windows.components[i]);
  bool joined = false;
  if (walk.found) {
    // Watched before it is looked at, so that no change falls between the two.
    walk.keep = walk.keep && cache_.Watch(walk.current);
    if (walk.keep && i + 1 < count) walk.steps.push_back(walk.current + '\n' + UCase(at.windows.components[i]));
    walk.candidate = Join(walk.current, name);
    joined = true;
    walk.found = FindName(walk, i, name);
    if (walk.found && i + 1 < count) {
      // Every name but the last must be a folder to look further.
      struct stat followed = walk.own;
      if (S_ISLNK(walk.own.st_mode)) {
        at.throughLink = true;
        walk.found = stat(walk.candidate.c_str(), &followed) == 0;
      }
      walk.found = walk.found && S_ISDIR(followed.st_mode);
    }
    if (walk.found) at.diskNames.push_back(name);
  }
  if (i + 1 == count) {
    at.parentHost = walk.current;
    at.parentFound = at.diskNames.size() + 1 >= count;
  }
  walk.current = joined ? std::move(walk.candidate) : Join(walk.current, name);
}

bool Locator::FindName(Walk& walk, std::size_t i, std::string& name) {
  // One lstat a name in the common case; the folder's names only when it is missing. In a
  // folder whose names are kept, a missing name costs no look at the disk.
  const std::string& component = walk.at.windows.components[i];
  const FolderCache::FolderNames* names = walk.keep ? cache_.KeptNamesOf(walk.current) : nullptr;
  if (names != nullptr) {
    auto spelling = names->names.Spelling(UCase(component), name);
    if (!spelling) return false;
    if (*spelling != name) {
      name = std::move(*spelling);
      walk.candidate = Join(walk.current, name);
    }
    return LookAt(walk, name, &walk.own);
  }
  if (LookAt(walk, name, &walk.own)) return true;
  if (errno != ENOENT) return false;
  auto match = cache_.FindNoCase(walk.current, component, walk.keep);
  if (!match) return false;
  name = std::move(*match);
  walk.candidate = Join(walk.current, name);
  return LookAt(walk, name, &walk.own);
}

bool Locator::LookAt(const Walk& walk, const std::string& name, struct stat* st) const {
  // The last name of a kept folder through the folder's descriptor, any other by its path.
  if (walk.folderFd) return fstatat(walk.folderFd->get(), name.c_str(), st, AT_SYMLINK_NOFOLLOW) == 0;
  return lstat(walk.candidate.c_str(), st) == 0;
}

void Locator::FinishWalk(Walk& walk) {
  Location& at = walk.at;
  at.host = std::move(walk.current);
  at.parentDir = std::move(walk.folderFd);
  if (walk.found) {
    at.found = true;  // a link that leads nowhere is still an entry of its folder
    at.isLink = S_ISLNK(walk.own.st_mode);
    if (!at.isLink || stat(at.host.c_str(), &at.st) != 0) at.st = walk.own;
  }
  if (at.windows.components.empty()) at.parentFound = false;
}

const Location* Locator::KeepWalk(std::string_view path, Walk& walk, std::uint64_t changesBefore) {
  Location& at = walk.at;
  const std::size_t count = at.windows.components.size();
  // Kept only where no link is on the way: a change where a link leads is not reported here.
  // Nor when a change was applied during this lookup: what it saw before may be gone.
  const bool keep = walk.keep && count > 0 && at.parentFound && !at.throughLink && cache_.Changes() == changesBefore;
  if (keep && walk.first == 0) {
    FolderFd fd;
    if (cache_.RoomForDescriptor()) {
      UniqueFd opened(open(at.parentHost.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (opened) fd = std::make_shared<const UniqueFd>(std::move(opened));
    }
    // Named by its path, a kept folder is reached through the folders on its way, and one this
    // run made is not watched: a link put in its place would go unnoticed. Without a descriptor
    // of its own, a folder below one is walked anew each time, every name looked at.
    if (fd || !cache_.BelowMadeFolder(at.parentHost)) {
      FolderCache::KeptFolder folder{
          at.root,
          at.parentHost,
          std::vector<std::string>(at.windows.components.begin(), at.windows.components.end() - 1),
          std::vector<std::string>(at.diskNames.begin(), at.diskNames.begin() + (count - 1)),
          std::move(fd)};
      cache_.KeepFolder(walk.folderKey, std::move(folder), walk.steps);
    }
  }
  // A folder's own time changes with its names, which are reported only where it is watched.
  if (keep && !at.isLink && !(at.found && S_ISDIR(at.st.st_mode)) && !cache_.Written(at.parentHost)) {
    Location& slot = cache_.NextSlot();
    slot = std::move(at);
    cache_.Advance(path);
    return &slot;
  }
  last_ = std::move(at);
  return &last_;
}

FolderCache::KeptFolder* Locator::KeptFolderOfPath(std::string_view path, bool* ascii) {
  // The key of a kept folder is a parsed path written out (an upper-case drive letter, no "/",
  // no empty, "." or ".." name, no character a name cannot hold): a path that starts with one
  // and adds a plain name parses to that folder's names and this name.
  const std::size_t cut = path.rfind('\\');
  if (cut == std::string_view::npos || cut < 2 || !cache_.AnyFolder()) return nullptr;
  const std::string_view name = path.substr(cut + 1);
  if (name.empty() || name == "." || name == "..") return nullptr;
  *ascii = true;
  for (const char c : name) {
    if (c == '/' || ForbiddenInName(c)) return nullptr;
    *ascii = *ascii && static_cast<unsigned char>(c) < 0x80;
  }
  return cache_.FolderOf(path.substr(0, cut));
}

void Locator::TakeFolderInto(Location& at, const FolderCache::KeptFolder& folder, std::string_view path) {
  if (at.folderStamp != folder.stamp) {
    at.folderStamp = folder.stamp;
    at.root = folder.root;
    at.windows.drive = path[0];
    at.windows.components.resize(folder.components.size() + 1);
    std::copy(folder.components.begin(), folder.components.end(), at.windows.components.begin());
    at.diskNames = folder.diskNames;
    at.parentHost = folder.host;
  } else {
    at.diskNames.resize(folder.diskNames.size());  // less the last name of the answer before
  }
  at.windows.components.back().assign(path.substr(path.rfind('\\') + 1));
  at.windows.trailingSeparator = false;
  at.parentDir = folder.fd;
  at.found = false;
  at.parentFound = true;
  at.isLink = false;
  at.throughLink = false;
}

const Location* Locator::LocateInKeptFolder(std::string_view path, FsStatus* status) {
  bool ascii = true;
  FolderCache::KeptFolder* folder = KeptFolderOfPath(path, &ascii);
  if (folder == nullptr) return nullptr;
  bool kept = !folder->written;
  // Written where it will stay: a kept entry's slot, else the last answer. The slot's strings
  // keep their room, so that a lookup allocates nothing in the common case.
  if (kept) {
    cache_.TakeSlotOfFolder(folder->stamp);
    cache_.ClearNextSlotPath();
  }
  Location& at = kept ? cache_.NextSlot() : last_;
  TakeFolderInto(at, *folder, path);
  kept = LookInKeptFolder(at, *folder, path, ascii) && kept;
  if (status != nullptr) *status = at.found ? FsStatus::kOk : FsStatus::kNotFound;
  // A folder's own time changes with its names, which are reported only where it is watched.
  if (!kept) return &at;
  if (at.isLink || (at.found && S_ISDIR(at.st.st_mode))) {
    std::swap(at, last_);
    return &last_;
  }
  cache_.Advance(path);
  return &at;
}

bool Locator::LookInKeptFolder(Location& at, const FolderCache::KeptFolder& folder, std::string_view path,
                               bool ascii) {
  const std::size_t cut = path.rfind('\\');
  const std::string_view name = path.substr(cut + 1);
  // The name on disk: in a folder whose names are kept, a missing name costs no look at the disk.
  std::string diskName = ascii ? std::string(name) : AnsiToUtf8(name);
  bool found = true;
  bool keep = true;
  if (folder.names != nullptr) {
    auto spelling = folder.names->names.Spelling(UCase(name), diskName);
    found = spelling.has_value();
    if (found) diskName = std::move(*spelling);
  }
  const auto lookAt = [&](struct stat* st, int flags) {
    if (at.parentDir) return fstatat(at.parentDir->get(), diskName.c_str(), st, flags) == 0;
    return fstatat(AT_FDCWD, Join(at.parentHost, diskName).c_str(), st, flags) == 0;
  };
  struct stat own {};
  found = found && lookAt(&own, AT_SYMLINK_NOFOLLOW);
  if (!found && folder.names == nullptr && errno == ENOENT) {
    // The folder's names are read now (and kept): the folder found may go meanwhile, and with
    // it every kept folder, so nothing of it is used after this; nor is an answer kept when
    // any change was applied meanwhile.
    const std::uint64_t changesBefore = cache_.Changes();
    if (auto match = cache_.FindNoCase(at.parentHost, name, true)) {
      diskName = std::move(*match);
      found = lookAt(&own, AT_SYMLINK_NOFOLLOW);
    }
    keep = cache_.Changes() == changesBefore && cache_.FolderOf(path.substr(0, cut)) != nullptr;
  }
  at.host = at.parentHost;
  at.host += '/';
  at.host += diskName;
  if (found) {
    at.found = true;
    at.isLink = S_ISLNK(own.st_mode);
    if (!at.isLink || !lookAt(&at.st, 0)) at.st = own;
    at.diskNames.push_back(std::move(diskName));
  } else {
    at.st = {};
  }
  return keep;
}

bool Locator::InsideDrive(const Location& at, bool entry) {
  // Without a link on the way the path is inside its drive as it is written.
  if (!at.throughLink && !(entry && at.isLink)) return true;
  const auto it = realRoots_.find(at.root);
  const std::string realRoot = it != realRoots_.end() ? it->second : at.root;
  if (realRoot == "/") return true;
  const auto real = RealPath(entry ? at.host : at.parentHost);
  if (!real) return false;
  return *real == realRoot ||
         (real->size() > realRoot.size() && real->compare(0, realRoot.size(), realRoot) == 0 &&
          (*real)[realRoot.size()] == '/');
}

}  // namespace tunovar::posix
