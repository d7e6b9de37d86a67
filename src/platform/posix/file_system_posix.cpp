// The file system of a Linux run: Windows paths on drive letters mapped to host folders.
#include "platform/posix/file_system_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>

#include "platform/posix/ansi_utf8.h"
#include "platform/posix/host_files.h"
#include "platform/posix/xdg_dirs.h"
#include "startup/ansi_text.h"

namespace tunovar::posix {

FsStatus StatusOfErrno(int error) {
  switch (error) {
    case 0: return FsStatus::kOk;
    case ENOENT:
    case ENOTDIR: return FsStatus::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return FsStatus::kAccessDenied;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK: return FsStatus::kInUse;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return FsStatus::kDiskFull;
    case EEXIST: return FsStatus::kExists;
    case ENOTEMPTY: return FsStatus::kNotEmpty;
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
    case EILSEQ: return FsStatus::kInvalidPath;
    default: return FsStatus::kIoError;
  }
}

namespace {

constexpr int kOpenRead = O_RDONLY | O_CLOEXEC;

std::string Join(const std::string& folder, std::string_view name) {
  std::string out = folder;
  if (out.empty() || out.back() != '/') out += '/';
  out += name;
  return out;
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The Windows-1252 spelling of a name on disk: its UTF-8 converted; for a name that is no
// valid UTF-8 at all (an old Latin-1 medium), its bytes as they are; nullopt for a UTF-8 name
// with a character that Windows-1252 cannot write.
std::optional<std::string> AnsiNameOf(std::string_view diskName) {
  if (IsAscii(diskName)) return std::string(diskName);
  if (auto ansi = Utf8ToAnsi(diskName)) return ansi;
  if (IsValidUtf8(diskName)) return std::nullopt;
  return std::string(diskName);
}

// The key of a name on disk: its Windows-1252 spelling in upper case.
std::optional<std::string> KeyOfDiskName(std::string_view diskName) {
  auto ansi = AnsiNameOf(diskName);
  if (!ansi) return std::nullopt;
  return UCase(*ansi);
}

class PosixReader : public ByteReader {
 public:
  explicit PosixReader(int fd) : fd_(fd) {}
  ~PosixReader() override { close(fd_); }
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = read(fd_, buffer, size);
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) return std::nullopt;
    }
  }

 private:
  int fd_;
};

class PosixWriter : public TextFileWriter {
 public:
  explicit PosixWriter(int fd) : fd_(fd) {}
  ~PosixWriter() override { close(fd_); }
  bool Write(std::string_view bytes) override { return WriteAll(fd_, bytes); }

 private:
  int fd_;
};

class PosixHold : public FileHold {
 public:
  explicit PosixHold(int fd) : fd_(fd) {}
  ~PosixHold() override { close(fd_); }

 private:
  int fd_;
};

}  // namespace

// The temporary file beside its destination; renamed over it by Commit.
class PosixReplacement : public ReplacementFile {
 public:
  PosixReplacement(PosixFileSystem& fs, int fd, std::string tempHost, std::string destHost)
      : fs_(fs), fd_(fd), tempHost_(std::move(tempHost)), destHost_(std::move(destHost)) {}
  PosixReplacement(const PosixReplacement&) = delete;
  PosixReplacement& operator=(const PosixReplacement&) = delete;
  ~PosixReplacement() override {
    if (fd_ >= 0) close(fd_);
    if (!committed_) unlink(tempHost_.c_str());
  }

  bool Write(const char* data, std::size_t size) override {
    if (fd_ < 0 || status_ != FsStatus::kOk) return false;
    if (WriteAll(fd_, std::string_view(data, size))) return true;
    status_ = StatusOfErrno(errno);
    return false;
  }

  FsStatus Commit(const std::string& timesFrom) override {
    if (committed_) return FsStatus::kOk;
    if (fd_ < 0) return FsStatus::kIoError;
    if (status_ != FsStatus::kOk) return status_;
    // The permission bits and times of the source: an installed program stays runnable, and
    // the newer-only rule compares the source's own time on the next run. The owner may always
    // write the copy: every file of a CD is read-only, and the installed product, the next
    // installation and the uninstaller must be able to replace or delete it, as on Windows.
    struct stat source {};
    const auto sourceHost = timesFrom.empty() ? std::nullopt : fs_.HostPath(timesFrom);
    const bool haveSource =
        sourceHost && stat(sourceHost->c_str(), &source) == 0 && S_ISREG(source.st_mode);
    const mode_t mode = haveSource ? ((source.st_mode & 0777) | S_IWUSR) : fs_.NewFileMode();
    if (fchmod(fd_, mode) != 0) return StatusOfErrno(errno);
    if (haveSource) {
      const timespec times[2] = {source.st_atim, source.st_mtim};
      if (futimens(fd_, times) != 0) return StatusOfErrno(errno);
    }
    if (PosixFileSystem::HeldElsewhere(destHost_)) return FsStatus::kInUse;
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) return status_ = StatusOfErrno(errno);
    if (rename(tempHost_.c_str(), destHost_.c_str()) != 0) return StatusOfErrno(errno);
    committed_ = true;
    return FsStatus::kOk;
  }

 private:
  PosixFileSystem& fs_;
  int fd_;
  std::string tempHost_;
  std::string destHost_;
  FsStatus status_ = FsStatus::kOk;
  bool committed_ = false;
};

PosixFileSystem::PosixFileSystem() : PosixFileSystem(DriveMap::FromEnvironment()) {}

PosixFileSystem::PosixFileSystem(DriveMap drives)
    : drives_(std::move(drives)), notify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  // The umask can only be read by setting it; the program is single-threaded here.
  umask_ = umask(022);
  umask(umask_);
}

PosixFileSystem::~PosixFileSystem() {
  if (notify_ >= 0) close(notify_);
}

bool PosixFileSystem::HeldElsewhere(const std::string& hostPath) {
  const int fd = open(hostPath.c_str(), kOpenRead | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);  // also lets go of the probe's own lock
  return held;
}

bool PosixFileSystem::EnsureDrive(char letter) {
  const auto root = drives_.Root(letter);
  if (!root) return false;
  const char key = ToUpperAnsi(letter);
  if (readyDrives_.count(key) != 0) return true;
  // A drive folder is made on first use; drive C: gets its Windows folder, as a fresh Windows
  // has one.
  if (!MakeHostFolders(*root)) return false;
  struct stat st {};
  if (key == 'C' && lstat(Join(*root, "WINDOWS").c_str(), &st) != 0 && !FindNoCase(*root, "WINDOWS")) {
    (void)mkdir(Join(*root, "WINDOWS").c_str(), 0777);
  }
  realRoots_[*root] = RealPath(*root).value_or(*root);
  readyDrives_.insert(key);
  return true;
}

std::optional<PosixFileSystem::Location> PosixFileSystem::Locate(std::string_view path,
                                                                  FsStatus* status) {
  auto parsed = ParseWindowsPath(path);
  if (!parsed) {
    if (status != nullptr) *status = FsStatus::kInvalidPath;
    return std::nullopt;
  }
  if (!EnsureDrive(parsed->drive)) {
    if (status != nullptr) *status = FsStatus::kNotFound;
    return std::nullopt;
  }
  Location at;
  at.root = *drives_.Root(parsed->drive);
  at.windows = std::move(*parsed);
  std::string current = at.root;
  bool found = true;
  struct stat own {};  // of the last name, not following a link
  const std::size_t count = at.windows.components.size();
  if (count == 0) found = lstat(current.c_str(), &own) == 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::string name = AnsiToUtf8(at.windows.components[i]);
    if (found) {
      // One lstat a name in the common case; the folder's names only when it is missing.
      std::string candidate = Join(current, name);
      found = lstat(candidate.c_str(), &own) == 0;
      if (!found && errno == ENOENT) {
        if (auto match = FindNoCase(current, at.windows.components[i])) {
          name = std::move(*match);
          candidate = Join(current, name);
          found = lstat(candidate.c_str(), &own) == 0;
        }
      }
      if (found && i + 1 < count) {
        // Every name but the last must be a folder to look further.
        struct stat followed = own;
        if (S_ISLNK(own.st_mode)) {
          at.throughLink = true;
          found = stat(candidate.c_str(), &followed) == 0;
        }
        found = found && S_ISDIR(followed.st_mode);
      }
      if (found) at.diskNames.push_back(name);
    }
    if (i + 1 == count) {
      at.parentHost = current;
      at.parentFound = at.diskNames.size() + 1 >= count;
    }
    current = Join(current, name);
  }
  at.host = current;
  if (found) {
    at.found = true;  // a link that leads nowhere is still an entry of its folder
    at.isLink = S_ISLNK(own.st_mode);
    if (!at.isLink || stat(at.host.c_str(), &at.st) != 0) at.st = own;
  }
  if (count == 0) at.parentFound = false;
  if (status != nullptr) *status = at.found ? FsStatus::kOk : FsStatus::kNotFound;
  return at;
}

bool PosixFileSystem::InsideDrive(const Location& at, bool entry) {
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

namespace {

constexpr std::size_t kKeptFoldersMax = 1024;  // a bound on inotify watches
constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                        IN_MOVE_SELF | IN_ONLYDIR;

void ReadNames(const std::string& folder, std::unordered_map<std::string, std::set<std::string>>& byKey) {
  byKey.clear();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view disk(entry->d_name);
    if (disk == "." || disk == "..") continue;
    if (auto key = KeyOfDiskName(disk)) byKey[*key].emplace(disk);
  }
  closedir(dir);
}

}  // namespace

void PosixFileSystem::ForgetFolder(const std::string& folder) {
  const auto it = folders_.find(folder);
  if (it == folders_.end()) return;
  const int watch = it->second.watch;
  folders_.erase(it);
  auto& paths = watched_[watch];
  paths.erase(std::remove(paths.begin(), paths.end(), folder), paths.end());
  if (paths.empty()) {
    watched_.erase(watch);
    if (notify_ >= 0) inotify_rm_watch(notify_, watch);
  }
}

void PosixFileSystem::ApplyFolderChanges() {
  if (notify_ < 0) return;
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t n = read(notify_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0 && errno != EAGAIN) {
        // The watch is lost: nothing is kept any more, every lookup reads its folder.
        close(notify_);
        notify_ = -1;
        folders_.clear();
        watched_.clear();
      }
      return;
    }
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & IN_Q_OVERFLOW) != 0) {
        // Changes were lost: forget everything that is kept.
        for (const auto& [watch, paths] : watched_) inotify_rm_watch(notify_, watch);
        folders_.clear();
        watched_.clear();
        continue;
      }
      const auto owners = watched_.find(event->wd);
      if (owners == watched_.end()) continue;
      const std::vector<std::string> paths = owners->second;
      if ((event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) != 0) {
        for (const std::string& path : paths) ForgetFolder(path);
        continue;
      }
      if (event->len == 0) continue;
      const std::string name(event->name);
      const auto key = KeyOfDiskName(name);
      if (!key) continue;
      for (const std::string& path : paths) {
        const auto kept = folders_.find(path);
        if (kept == folders_.end()) continue;
        auto& byKey = kept->second.byKey;
        if ((event->mask & (IN_CREATE | IN_MOVED_TO)) != 0) {
          byKey[*key].insert(name);
        } else if ((event->mask & (IN_DELETE | IN_MOVED_FROM)) != 0) {
          const auto entry = byKey.find(*key);
          if (entry != byKey.end()) {
            entry->second.erase(name);
            if (entry->second.empty()) byKey.erase(entry);
          }
        }
      }
    }
  }
}

const PosixFileSystem::FolderNames* PosixFileSystem::NamesOf(const std::string& folder) {
  ApplyFolderChanges();
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    ForgetFolder(folder);
    return nullptr;
  }
  const auto it = folders_.find(folder);
  if (it != folders_.end()) {
    // The same path may have come to name another folder (a folder above it was renamed).
    if (it->second.dev == st.st_dev && it->second.ino == st.st_ino) return &it->second;
    ForgetFolder(folder);
  }
  int watch = -1;
  if (notify_ >= 0 && folders_.size() < kKeptFoldersMax) {
    // Watched before it is read, so that no change falls between the two.
    watch = inotify_add_watch(notify_, folder.c_str(), kFolderEvents);
  }
  if (watch < 0) {
    ReadNames(folder, unkept_.byKey);
    return &unkept_;
  }
  FolderNames& names = folders_[folder];
  names.dev = st.st_dev;
  names.ino = st.st_ino;
  names.watch = watch;
  auto& paths = watched_[watch];
  if (std::find(paths.begin(), paths.end(), folder) == paths.end()) paths.push_back(folder);
  ReadNames(folder, names.byKey);
  ApplyFolderChanges();
  const auto kept = folders_.find(folder);
  return kept != folders_.end() ? &kept->second : nullptr;
}

std::optional<std::string> PosixFileSystem::FindNoCase(const std::string& folder, std::string_view name) {
  const FolderNames* names = NamesOf(folder);
  if (names == nullptr) return std::nullopt;
  const auto it = names->byKey.find(UCase(name));
  if (it == names->byKey.end() || it->second.empty()) return std::nullopt;
  return *it->second.begin();
}

std::optional<std::string> PosixFileSystem::HostPath(const std::string& windowsPath) {
  const auto at = Locate(windowsPath);
  if (!at) return std::nullopt;
  return at->host;
}

std::optional<std::string> PosixFileSystem::OnDiskSpelling(const std::string& windowsPath) {
  const auto at = Locate(windowsPath);
  if (!at || !at->found) return std::nullopt;
  // A path ending in "\" names a folder.
  if (at->windows.trailingSeparator && !at->windows.components.empty() && !S_ISDIR(at->st.st_mode)) {
    return std::nullopt;
  }
  WindowsPath spelled = at->windows;
  for (std::size_t i = 0; i < spelled.components.size(); ++i) {
    if (auto ansi = AnsiNameOf(at->diskNames[i])) spelled.components[i] = std::move(*ansi);
  }
  std::string out = FormatWindowsPath(spelled);
  out[0] = windowsPath[0];  // the drive letter as given
  return out;
}

bool PosixFileSystem::FileExists(const std::string& path) {
  const auto at = Locate(path);
  return at && at->IsFile();
}

bool PosixFileSystem::EntryExists(const std::string& path) {
  const auto at = Locate(path);
  if (!at || !at->found) return false;
  return !at->windows.trailingSeparator || S_ISDIR(at->st.st_mode);
}

bool PosixFileSystem::FolderExists(const std::string& path) {
  const auto at = Locate(path);
  return at && at->found && S_ISDIR(at->st.st_mode);
}

std::optional<std::uint64_t> PosixFileSystem::FileLength(const std::string& path) {
  const auto at = Locate(path);
  if (!at || !at->found || !S_ISREG(at->st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(at->st.st_size);
}

std::optional<LocalDateTime> PosixFileSystem::LastWriteTime(const std::string& path) {
  const auto at = Locate(path);
  if (!at || !at->found) return std::nullopt;
  std::tm local {};
  const time_t seconds = at->st.st_mtim.tv_sec;
  if (localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour, local.tm_min, local.tm_sec};
}

FsStatus PosixFileSystem::ClearAttributes(const std::string& path) {
  FsStatus status = FsStatus::kOk;
  const auto at = Locate(path, &status);
  if (!at || !at->found) return status == FsStatus::kOk ? FsStatus::kNotFound : status;
  if (!InsideDrive(*at, true)) return FsStatus::kAccessDenied;
  if ((at->st.st_mode & S_IWUSR) != 0) return FsStatus::kOk;
  if (chmod(at->host.c_str(), (at->st.st_mode & 07777) | S_IWUSR) != 0) return StatusOfErrno(errno);
  return FsStatus::kOk;
}

FsStatus PosixFileSystem::CreateFolder(const std::string& path) {
  FsStatus status = FsStatus::kOk;
  const auto at = Locate(path, &status);
  if (!at) return status;
  if (at->found || at->windows.components.empty()) return FsStatus::kExists;
  if (!at->parentFound) return FsStatus::kNotFound;
  if (!InsideDrive(*at, false)) return FsStatus::kAccessDenied;
  if (mkdir(at->host.c_str(), 0777) != 0) return StatusOfErrno(errno);
  return FsStatus::kOk;
}

FsStatus PosixFileSystem::RemoveFolder(const std::string& path) {
  FsStatus status = FsStatus::kOk;
  const auto at = Locate(path, &status);
  if (!at) return status;
  if (!at->found || at->isLink || !S_ISDIR(at->st.st_mode)) return FsStatus::kNotFound;
  if (at->windows.components.empty()) return FsStatus::kAccessDenied;  // a drive's root stays
  if (!InsideDrive(*at, false)) return FsStatus::kAccessDenied;
  if (rmdir(at->host.c_str()) != 0) {
    // rmdir reports a folder with entries by either of two numbers.
    return StatusOfErrno(errno == EEXIST ? ENOTEMPTY : errno);
  }
  return FsStatus::kOk;
}

FsStatus PosixFileSystem::DeleteFile(const std::string& path) {
  FsStatus status = FsStatus::kOk;
  const auto at = Locate(path, &status);
  if (!at) return status;
  if (!at->found || at->windows.trailingSeparator) return FsStatus::kNotFound;
  if (!at->isLink && S_ISDIR(at->st.st_mode)) return FsStatus::kAccessDenied;
  if (!InsideDrive(*at, false)) return FsStatus::kAccessDenied;
  // A read-only file is not deleted until its attribute is cleared, as on Windows.
  if (!at->isLink && (at->st.st_mode & S_IWUSR) == 0) return FsStatus::kAccessDenied;
  if (!at->isLink && HeldElsewhere(at->host)) return FsStatus::kInUse;
  if (unlink(at->host.c_str()) != 0) return StatusOfErrno(errno);
  return FsStatus::kOk;
}

std::optional<std::string> PosixFileSystem::ReadWholeFile(const std::string& path) {
  auto reader = OpenForReading(path);
  if (!reader) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const auto n = reader->Read(buffer, sizeof buffer);
    if (!n) return std::nullopt;
    if (*n == 0) return bytes;
    bytes.append(buffer, *n);
  }
}

std::unique_ptr<ByteReader> PosixFileSystem::OpenForReading(const std::string& path) {
  const auto at = Locate(path);
  if (!at || !at->IsFile()) return nullptr;
  const int fd = open(at->host.c_str(), kOpenRead);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixReader>(fd);
}

std::unique_ptr<ReplacementFile> PosixFileSystem::CreateReplacement(const std::string& destination) {
  const auto at = Locate(destination);
  if (!at || !at->parentFound || at->windows.trailingSeparator) return nullptr;
  if (at->found && S_ISDIR(at->st.st_mode)) return nullptr;
  if (!InsideDrive(*at, false)) return nullptr;
  std::string temp = Join(at->parentHost, ".tunovar-new-XXXXXX");
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixReplacement>(*this, fd, std::move(temp), at->host);
}

std::unique_ptr<TextFileWriter> PosixFileSystem::OpenForWriting(const std::string& path,
                                                               WriteMode mode) {
  const auto at = Locate(path);
  if (!at || !at->parentFound || at->windows.trailingSeparator) return nullptr;
  if (!InsideDrive(*at, false)) return nullptr;
  if (at->found && (at->isLink || !S_ISREG(at->st.st_mode) || (at->st.st_mode & S_IWUSR) == 0)) {
    return nullptr;  // a folder, a link, or a read-only file
  }
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW |
                    (mode == WriteMode::kAppend ? O_APPEND : O_TRUNC);
  const int fd = open(at->host.c_str(), flags, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixWriter>(fd);
}

std::unique_ptr<FileHold> PosixFileSystem::HoldOpen(const std::string& path) {
  const auto at = Locate(path);
  if (!at || !at->IsFile()) return nullptr;
  const int fd = open(at->host.c_str(), kOpenRead);
  if (fd < 0) return nullptr;
  // A shared lock: a delete or a replacement probes for it and is refused while it is held.
  (void)flock(fd, LOCK_SH | LOCK_NB);
  return std::make_unique<PosixHold>(fd);
}

namespace {

bool WildMatch(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || ToUpperAnsi(pattern[p]) == ToUpperAnsi(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

std::vector<std::string> PosixFileSystem::ListFiles(const std::string& pattern) {
  std::vector<std::string> out;
  const std::size_t cut = pattern.find_last_of("\\/");
  if (cut == std::string::npos) return out;
  std::string namePattern = pattern.substr(cut + 1);
  if (namePattern.empty()) return out;  // a folder path lists no files
  if (namePattern.find_first_of("*?") == std::string::npos) {
    // A plain path matches itself, in its on-disk spelling.
    const auto at = Locate(pattern);
    if (at && at->IsFile() && !at->diskNames.empty()) {
      out.push_back(AnsiNameOf(at->diskNames.back()).value_or(at->windows.components.back()));
    }
    return out;
  }
  if (namePattern == "*.*") namePattern = "*";  // Windows: every name, with a dot or without
  for (char c : namePattern) {
    if (c != '*' && c != '?' && ForbiddenInName(c)) return out;
  }
  const auto at = Locate(pattern.substr(0, cut + 1));
  if (!at || !at->found || !S_ISDIR(at->st.st_mode)) return out;
  DIR* dir = opendir(at->host.c_str());
  if (dir == nullptr) return out;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view disk(entry->d_name);
    if (disk == "." || disk == "..") continue;
    const auto ansi = AnsiNameOf(disk);
    if (!ansi || !WildMatch(namePattern, *ansi)) continue;
    struct stat st {};
    if (stat(Join(at->host, disk).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    out.push_back(*ansi);
  }
  closedir(dir);
  std::sort(out.begin(), out.end(),
            [](const std::string& a, const std::string& b) { return UCase(a) < UCase(b); });
  return out;
}

std::optional<std::string> PosixFileSystem::DriveName(char letter) {
  if (!EnsureDrive(letter)) return std::nullopt;
  struct stat st {};
  if (stat(drives_.Root(letter)->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return std::string{ToLowerAnsi(letter), ':'};
}

std::optional<std::int64_t> PosixFileSystem::FreeMegabytes(int driveNumber) {
  if (driveNumber < 0 || driveNumber > 25) return std::nullopt;
  const char letter = static_cast<char>('A' + driveNumber);
  if (!EnsureDrive(letter)) return std::nullopt;
  struct statvfs vfs {};
  if (statvfs(drives_.Root(letter)->c_str(), &vfs) != 0) return std::nullopt;
  // Blocks times block size in whole megabytes, computed so that no product can overflow.
  const std::uint64_t blocks = vfs.f_bavail;
  const std::uint64_t size = vfs.f_frsize;
  constexpr std::uint64_t kMb = 1048576;
  const std::uint64_t mb = (blocks / kMb) * size + (blocks % kMb) * size / kMb;
  return static_cast<std::int64_t>(std::min<std::uint64_t>(mb, INT64_MAX));
}

}  // namespace tunovar::posix
