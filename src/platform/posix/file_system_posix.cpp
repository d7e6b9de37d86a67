// The file system of a Linux run: the system calls of each member, on the entries the locator
// finds (locator.cpp) through what the folder cache keeps (folder_cache.cpp).
#include "platform/posix/file_system_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>

#include "base/ansi_text.h"
#include "base/ansi_utf8.h"
#include "base/wildcard.h"
#include "base/disk_names.h"
#include "platform/posix/host_files.h"
#include "platform/posix/unique_fd.h"
#include "platform/posix/xdg_dirs.h"

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
// The names of the temporary files of replacements.
constexpr const char* kTemporaryPrefix = ".tunovar-new-";
// No permission bits a file can have.
constexpr mode_t kUnknownMode = ~mode_t{0};

class PosixReader : public ByteReader {
 public:
  // length: the file's length when it was looked up just before it was opened.
  PosixReader(UniqueFd fd, std::uint64_t length) : fd_(std::move(fd)), length_(length) {}
  [[nodiscard]] int Fd() const { return fd_.get(); }
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = read(fd_.get(), buffer, size);
      if (n >= 0) {
        offset_ += static_cast<std::uint64_t>(n);
        return static_cast<std::size_t>(n);
      }
      if (errno != EINTR) return std::nullopt;
    }
  }
  // The system copied n bytes from the reader's place onwards.
  void Advanced(std::uint64_t n) { offset_ += n; }
  // Everything the lookup saw has been taken: the file's end, unless it grew since (a file
  // that grows while it is copied gives the part it had then, as a copy a moment earlier).
  [[nodiscard]] bool AtSeenEnd() const { return offset_ >= length_; }

 private:
  UniqueFd fd_;
  std::uint64_t length_;
  std::uint64_t offset_ = 0;
};

class PosixWriter : public TextFileWriter {
 public:
  explicit PosixWriter(UniqueFd fd) : fd_(std::move(fd)) {}
  bool Write(std::string_view bytes) override { return WriteAll(fd_.get(), bytes); }
  bool Sync() override {
    while (fdatasync(fd_.get()) != 0) {
      if (errno != EINTR) return false;
    }
    return true;
  }

 private:
  UniqueFd fd_;
};

class PosixHold : public FileHold {
 public:
  explicit PosixHold(UniqueFd fd) : fd_(std::move(fd)) {}

 private:
  UniqueFd fd_;
};

}  // namespace

// The temporary file beside its destination; put in its place by Commit. Where the
// destination is new and the file system allows it, the temporary file has no name until
// Commit links it as the destination (nothing is left behind even if the program is killed);
// otherwise it is a named file renamed over the destination.
class PosixReplacement : public ReplacementFile {
 public:
  // tempHost: the named temporary file, or "" for one without a name. dir: the destination's
  // kept folder, through which the file is linked, renamed and probed by its last name; none to
  // name it by its host path.
  // createdMode: the permission bits the new file was made with; kUnknownMode when they are
  // not known.
  PosixReplacement(PosixFileSystem& fs, UniqueFd fd, std::string tempHost, std::string destHost, FolderFd dir,
                   mode_t createdMode)
      : fs_(fs), fd_(std::move(fd)), tempHost_(std::move(tempHost)), destHost_(std::move(destHost)),
        createdMode_(createdMode),
        dir_(std::move(dir)), dirFd_(dir_ ? dir_->get() : AT_FDCWD),
        destName_(AtNameOf(destHost_, dir_ != nullptr)) {}
  PosixReplacement(const PosixReplacement&) = delete;
  PosixReplacement& operator=(const PosixReplacement&) = delete;
  ~PosixReplacement() override {
    fd_.reset();
    if (!committed_ && !tempHost_.empty()) unlink(tempHost_.c_str());
  }

  bool Write(const char* data, std::size_t size) override {
    if (!fd_ || status_ != FsStatus::kOk) return false;
    if (WriteAll(fd_.get(), std::string_view(data, size))) return true;
    status_ = StatusOfErrno(errno);
    return false;
  }

  Copied CopyFrom(ByteReader& reader, std::uint64_t limit) override {
    // The system copies between the two files itself, as cp does; where it cannot (another
    // kind of reader, a file system that does not support it), the bytes go through a buffer.
    auto* source = dynamic_cast<PosixReader*>(&reader);
    Copied done;
    if (source == nullptr || !fd_ || status_ != FsStatus::kOk) return ReplacementFile::CopyFrom(reader, limit);
    while (done.bytes < limit) {
      constexpr std::uint64_t kMostAtOnce = 1 << 30;
      const auto want = static_cast<std::size_t>(std::min(limit - done.bytes, kMostAtOnce));
      const ssize_t n = copy_file_range(source->Fd(), nullptr, fd_.get(), nullptr, want, 0);
      if (n > 0) {
        done.bytes += static_cast<std::uint64_t>(n);
        source->Advanced(static_cast<std::uint64_t>(n));
        // No further call only to be told of the end.
        if (source->AtSeenEnd()) return done;
        continue;
      }
      if (n == 0) return done;  // the source's end
      if (errno == EINTR) continue;
      if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG) {
        status_ = StatusOfErrno(errno);
        done.writeFailed = true;
        return done;
      }
      // Not supported here, or an error that the plain copy tells apart (reading or writing).
      const Copied rest = ReplacementFile::CopyFrom(reader, limit - done.bytes);
      done.bytes += rest.bytes;
      done.readFailed = rest.readFailed;
      done.writeFailed = rest.writeFailed;
      return done;
    }
    return done;
  }

  FsStatus Commit(const std::string& timesFrom) override {
    if (committed_) return FsStatus::kOk;
    if (!fd_) return FsStatus::kIoError;
    if (status_ != FsStatus::kOk) return status_;
    // The permission bits and times of the source: an installed program stays runnable, and
    // the newer-only rule compares the source's own time on the next run. The owner may always
    // write the copy: every file of a CD is read-only, and the installed product, the next
    // installation and the uninstaller must be able to replace or delete it, as on Windows.
    const auto source = timesFrom.empty() ? std::nullopt : fs_.FileStat(timesFrom);
    const bool haveSource = source.has_value();
    const mode_t mode = haveSource ? ((source->st_mode & 0777) | S_IWUSR) : fs_.NewFileMode();
    if (mode != createdMode_ && fchmod(fd_.get(), mode) != 0) return StatusOfErrno(errno);
    if (haveSource) {
      const timespec times[2] = {source->st_atim, source->st_mtim};
      if (futimens(fd_.get(), times) != 0) return StatusOfErrno(errno);
    }
    if (fs_.MayExist(destHost_) && PosixFileSystem::HeldElsewhere(dirFd_, destName_)) return FsStatus::kInUse;
    if (tempHost_.empty()) {
      // Linked where the destination is still missing; one that came meanwhile is replaced
      // through a name of its own, as a named temporary file would be, unless it is held.
      if (LinkAs(dirFd_, destName_)) {
        committed_ = true;
      } else if (errno != EEXIST) {
        return StatusOfErrno(errno);
      } else if (PosixFileSystem::HeldElsewhere(dirFd_, destName_)) {
        return FsStatus::kInUse;
      } else if (!LinkBesideDestination()) {
        return StatusOfErrno(errno);
      }
    }
    if (!fd_.Close() && !committed_) return status_ = StatusOfErrno(errno);
    if (!committed_) {
      if (renameat(dirFd_, TempAtName(), dirFd_, destName_) != 0) return StatusOfErrno(errno);
      committed_ = true;
    }
    fs_.OwnNameChanged(destHost_, PosixFileSystem::OwnChange::kFileAdded);
    return FsStatus::kOk;
  }

 private:
  // Gives the file without a name the name `name` in the folder dirFd; false with errno set
  // otherwise.
  bool LinkAs(int dirFd, const char* name) {
    if (linkat(fd_.get(), "", dirFd, name, AT_EMPTY_PATH) == 0) return true;
    if (errno == EEXIST) return false;
    // Without the privilege to link a descriptor, its entry in /proc serves.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
    return linkat(AT_FDCWD, self.c_str(), dirFd, name, AT_SYMLINK_FOLLOW) == 0;
  }

  // The named temporary file as a call names it: its last name in the kept folder, else its
  // host path.
  [[nodiscard]] const char* TempAtName() const { return AtNameOf(tempHost_, dir_ != nullptr); }

  // Gives the file without a name a free temporary name beside the destination.
  bool LinkBesideDestination() {
    const std::string folder = destHost_.substr(0, destHost_.rfind('/') + 1);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
      std::string name = folder + kTemporaryPrefix + std::to_string(getpid()) + "-" + std::to_string(attempt);
      if (LinkAs(AT_FDCWD, name.c_str())) {
        (void)flock(fd_.get(), LOCK_EX | LOCK_NB);
        tempHost_ = std::move(name);
        return true;
      }
      if (errno != EEXIST) return false;
    }
    return false;
  }

  PosixFileSystem& fs_;
  UniqueFd fd_;
  std::string tempHost_;
  std::string destHost_;
  mode_t createdMode_;
  FolderFd dir_;
  int dirFd_;
  const char* destName_;  // within destHost_
  FsStatus status_ = FsStatus::kOk;
  bool committed_ = false;
};

PosixFileSystem::PosixFileSystem() : PosixFileSystem(DriveMap::FromEnvironment()) {}

PosixFileSystem::PosixFileSystem(DriveMap drives) : locator_(std::move(drives), cache_) {
  // The umask can only be read by setting it; the program is single-threaded here.
  umask_ = umask(022);
  umask(umask_);
}

PosixFileSystem::~PosixFileSystem() = default;

bool PosixFileSystem::HeldElsewhere(int dirFd, const char* name) {
  // Closing the probe also lets go of its own lock.
  const UniqueFd fd(openat(dirFd, name, kOpenRead | O_NOFOLLOW | O_NONBLOCK));
  return fd && flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

PosixFileSystem::LetGo PosixFileSystem::WaitUntilLetGo(const std::string& path, std::uint32_t maxMs) {
  const auto at = locator_.Locate(path);
  if (!at || !at->found) return LetGo::kLetGoOrChanged;
  if (!at->IsFile() || at->isLink) return LetGo::kNotHeld;
  // Closing the probe at the end also lets go of its own lock.
  const UniqueFd fd(open(at->host.c_str(), kOpenRead | O_NOFOLLOW | O_NONBLOCK));
  if (!fd) return errno == ENOENT ? LetGo::kLetGoOrChanged : LetGo::kNotHeld;
  // One descriptor serves every wait of the run, each with a watch of its own that it removes
  // at its end: closing a descriptor that had a watch waits for the kernel's grace period (up
  // to 16 ms), and the batch deletes what it waited for right after the wait. Removing the
  // watch does not wait; the descriptor is closed when the run ends.
  if (!letGoChanges_) letGoChanges_.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!letGoChanges_) return LetGo::kNotHeld;
  return WaitForClosing(fd.get(), at->host, maxMs);
}

namespace {

std::int64_t NowMs() {
  timespec now {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// The events queued for one watch; a queue that overflowed may have lost this watch's report:
// it counts as one.
std::uint32_t EventsOf(int changes, int watch, char* events, std::size_t size) {
  std::uint32_t seen = 0;
  for (ssize_t n; (n = read(changes, events, size)) > 0;) {
    for (ssize_t i = 0; i < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + i);
      if (event->wd == watch || (event->mask & IN_Q_OVERFLOW) != 0) seen |= event->mask;
      i += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return seen;
}

}  // namespace

PosixFileSystem::LetGo PosixFileSystem::WaitForClosing(int fd, const std::string& host, std::uint32_t maxMs) {
  const int changes = letGoChanges_.get();
  // What an earlier wait's watch left queued (the report of its removal) is not this wait's.
  alignas(inotify_event) char events[4096];
  while (read(changes, events, sizeof events) > 0) {
  }
  // Watched before the first probe, so that a closing between the two is not missed.
  const int watch = inotify_add_watch(changes, host.c_str(), IN_CLOSE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF);
  if (watch < 0) return LetGo::kNotHeld;
  struct Unwatch {
    int changes;
    int watch;
    ~Unwatch() { (void)inotify_rm_watch(changes, watch); }  // fails once the file is gone
  } unwatch{changes, watch};
  const std::int64_t deadline = NowMs() + maxMs;
  // The system reports a closing just before it lets go of the closing file's lock: after a
  // closing the lock is probed again within a millisecond.
  LetGo outcome = LetGo::kNotHeld;
  bool closed = false;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) {
      if (outcome == LetGo::kStillHeld) outcome = LetGo::kLetGoOrChanged;
      break;
    }
    outcome = LetGo::kStillHeld;
    const std::int64_t left = deadline - NowMs();
    if (left <= 0) break;
    pollfd wait {changes, POLLIN, 0};
    const int ready = poll(&wait, 1, static_cast<int>(closed ? std::min<std::int64_t>(left, 1) : left));
    if (ready < 0 && errno != EINTR) break;
    const std::uint32_t seen = ready > 0 ? EventsOf(changes, watch, events, sizeof events) : 0;
    closed = seen != 0;
    // Gone, renamed or changed: the waiting block looks again.
    if ((seen & (IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0) return LetGo::kLetGoOrChanged;
  }
  return outcome;
}

std::optional<struct stat> PosixFileSystem::FileStat(const std::string& windowsPath) {
  const auto at = locator_.Locate(windowsPath);
  if (!at || !at->found || !S_ISREG(at->st.st_mode)) return std::nullopt;
  return at->st;
}

std::optional<std::string> PosixFileSystem::HostPath(const std::string& windowsPath) {
  const auto at = locator_.Locate(windowsPath);
  if (!at) return std::nullopt;
  return at->host;
}

std::optional<std::string> PosixFileSystem::OnDiskSpelling(const std::string& windowsPath) {
  const auto at = locator_.Locate(windowsPath);
  if (!at || !at->found) return std::nullopt;
  // A path ending in "\" names a folder.
  if (at->windows.trailingSeparator && !at->windows.components.empty() && !S_ISDIR(at->st.st_mode)) {
    return std::nullopt;
  }
  // Written as FormatWindowsPath writes the path, each name as it is on disk, the drive
  // letter as given.
  std::string out{windowsPath[0], ':'};
  out.reserve(windowsPath.size() + 2);
  for (std::size_t i = 0; i < at->windows.components.size(); ++i) {
    out += '\\';
    const std::string& disk = at->diskNames[i];
    if (IsAscii(disk)) {
      out += disk;
    } else if (auto ansi = AnsiNameOf(disk)) {
      out += *ansi;
    } else {
      out += at->windows.components[i];
    }
  }
  if (at->windows.components.empty() || at->windows.trailingSeparator) out += '\\';
  return out;
}

bool PosixFileSystem::FileExists(const std::string& path) {
  const auto at = locator_.Locate(path);
  return at && at->IsFile();
}

bool PosixFileSystem::EntryExists(const std::string& path) {
  const auto at = locator_.Locate(path);
  if (!at || !at->found) return false;
  return !at->windows.trailingSeparator || S_ISDIR(at->st.st_mode);
}

bool PosixFileSystem::FolderExists(const std::string& path) {
  const auto at = locator_.Locate(path);
  return at && at->found && S_ISDIR(at->st.st_mode);
}

std::optional<std::uint64_t> PosixFileSystem::FileLength(const std::string& path) {
  const auto at = locator_.Locate(path);
  if (!at || !at->found || !S_ISREG(at->st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(at->st.st_size);
}

std::optional<LocalDateTime> PosixFileSystem::LastWriteTime(const std::string& path) {
  const auto at = locator_.Locate(path);
  if (!at || !at->found) return std::nullopt;
  std::tm local {};
  const time_t seconds = at->st.st_mtim.tv_sec;
  if (localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour, local.tm_min, local.tm_sec};
}

FsStatus PosixFileSystem::ClearAttributes(const std::string& path) {
  FsStatus status = FsStatus::kOk;
  const auto at = locator_.Locate(path, &status);
  if (!at || !at->found) return status == FsStatus::kOk ? FsStatus::kNotFound : status;
  // A link has no mode of its own to change, and chmod would change what it leads to.
  if (at->isLink) return FsStatus::kAccessDenied;
  if (!locator_.InsideDrive(*at, false)) return FsStatus::kAccessDenied;
  if ((at->st.st_mode & S_IWUSR) != 0) return FsStatus::kOk;
  if (chmod(at->host.c_str(), (at->st.st_mode & 07777) | S_IWUSR) != 0) return StatusOfErrno(errno);
  return FsStatus::kOk;
}

std::optional<std::string> PosixFileSystem::RealLocation(const std::string& path) {
  const auto at = locator_.Locate(path);
  if (!at) return std::nullopt;
  const bool whole = at->windows.trailingSeparator || at->windows.components.empty();
  // Without a link on the way the path lies where it is written: no further look at the disk.
  if (!at->throughLink && !(whole && at->isLink)) return path;
  const std::string lastName = whole ? std::string() : at->windows.components.back();
  const auto real = RealPath(whole ? at->host : at->parentHost);
  if (!real) return std::nullopt;
  auto windows = locator_.Drives().ToWindows(*real);
  if (!windows) return std::nullopt;
  if (windows->back() != '\\') *windows += '\\';
  return *windows + lastName;
}

FsStatus PosixFileSystem::CreateFolder(const std::string& path) {
  FsStatus status = FsStatus::kOk;
  const auto at = locator_.Locate(path, &status);
  if (!at) return status;
  if (at->found || at->windows.components.empty()) return FsStatus::kExists;
  if (!at->parentFound) return FsStatus::kNotFound;
  if (!locator_.InsideDrive(*at, false)) return FsStatus::kAccessDenied;
  cache_.WritingIn(at->parentHost);
  const std::string host = at->host;
  if (mkdir(host.c_str(), 0777) != 0) return StatusOfErrno(errno);
  OwnNameChanged(host, OwnChange::kFolderAdded);
  cache_.Made(host);
  return FsStatus::kOk;
}

FsStatus PosixFileSystem::RemoveFolder(const std::string& path) {
  FsStatus status = FsStatus::kOk;
  const auto at = locator_.Locate(path, &status);
  if (!at) return status;
  if (!at->found || !S_ISDIR(at->st.st_mode)) return FsStatus::kNotFound;
  if (at->windows.components.empty()) return FsStatus::kAccessDenied;  // a drive's root stays
  if (!locator_.InsideDrive(*at, false)) return FsStatus::kAccessDenied;
  // A link to a folder is removed as a link, as Windows removes a junction: never what it
  // leads to.
  const std::string host = at->host;
  cache_.BeforeOwnChange(at->parentHost);
  if (at->isLink) {
    if (unlink(host.c_str()) != 0) return StatusOfErrno(errno);
    OwnNameChanged(host, OwnChange::kFileRemoved);
    return FsStatus::kOk;
  }
  bool removed = rmdir(host.c_str()) == 0;
  if (!removed) {
    // rmdir reports a folder with entries by either of two numbers.
    const int error = errno == EEXIST ? ENOTEMPTY : errno;
    // The temporary files of a killed run do not keep a folder of the product.
    removed = error == ENOTEMPTY && RemoveStaleTemporaryFiles(host) > 0 && rmdir(host.c_str()) == 0;
    if (!removed) return StatusOfErrno(error);
  }
  OwnNameChanged(host, OwnChange::kFolderRemoved);
  return FsStatus::kOk;
}

FsStatus PosixFileSystem::DeleteFile(const std::string& path) {
  FsStatus status = FsStatus::kOk;
  const auto at = locator_.Locate(path, &status);
  if (!at) return status;
  if (!at->found || at->windows.trailingSeparator) return FsStatus::kNotFound;
  if (!at->isLink && S_ISDIR(at->st.st_mode)) return FsStatus::kAccessDenied;
  if (!locator_.InsideDrive(*at, false)) return FsStatus::kAccessDenied;
  // A read-only file is not deleted until its attribute is cleared, as on Windows.
  if (!at->isLink && (at->st.st_mode & S_IWUSR) == 0) return FsStatus::kAccessDenied;
  if (!at->isLink && HeldElsewhere(at->AtFd(), at->AtName())) return FsStatus::kInUse;
  cache_.BeforeOwnChange(at->parentHost);
  if (unlinkat(at->AtFd(), at->AtName(), 0) != 0) return StatusOfErrno(errno);
  if (cache_.AnyMade()) OwnNameChanged(std::string(at->host), OwnChange::kFileRemoved);
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
  const auto at = locator_.Locate(path);
  if (!at || !at->IsFile()) return nullptr;
  const auto length = static_cast<std::uint64_t>(at->st.st_size);
  const mode_t mode = at->st.st_mode & 0777;
  UniqueFd fd(openat(at->AtFd(), at->AtName(), kOpenRead));
  if (!fd) return nullptr;
  lastReadMode_ = mode;
  return std::make_unique<PosixReader>(std::move(fd), length);
}

std::unique_ptr<ReplacementFile> PosixFileSystem::CreateReplacement(const std::string& destination) {
  const auto at = locator_.Locate(destination);
  if (!at || !at->parentFound || at->windows.trailingSeparator) return nullptr;
  if (at->found && S_ISDIR(at->st.st_mode)) return nullptr;
  if (!locator_.InsideDrive(*at, false)) return nullptr;
  cache_.WritingIn(at->parentHost);
  if (cleanedFolders_.insert(at->parentHost).second) {
    // A folder with a default ACL gives a new file the ACL's permissions instead of those
    // asked for less the umask: there, they are always set when the file is committed.
    if (getxattr(at->parentHost.c_str(), "system.posix_acl_default", nullptr, 0) >= 0 ||
        (errno != ENODATA && errno != ENOTSUP)) {
      aclFolders_.insert(at->parentHost);
    }
    const std::string destHost = at->host;  // the answer of Locate may not outlive the cleaning
    const bool found = at->found;
    const std::string parentHost = at->parentHost;
    FolderFd dir = at->parentDir;
    RemoveStaleTemporaryFiles(parentHost);
    return CreateReplacementIn(parentHost, std::move(dir), destHost, found);
  }
  return CreateReplacementIn(at->parentHost, at->parentDir, at->host, at->found);
}

std::unique_ptr<ReplacementFile> PosixFileSystem::CreateReplacementIn(const std::string& parentHost, FolderFd dir,
                                                                     const std::string& destHost, bool exists) {
  if (!exists) {
    // Through the kept folder's descriptor where there is one: no walk from the drive's root.
    // Made with the permissions of the file read last, the copy's source as the installation
    // copies (the new file has no name, so they show nowhere): where they are those the
    // source asks for, no further call sets them.
    constexpr int kUnnamed = O_TMPFILE | O_WRONLY | O_CLOEXEC;
    const bool plain = aclFolders_.empty() || aclFolders_.count(parentHost) == 0;
    const mode_t mode = plain ? (lastReadMode_ | S_IWUSR) : 0600;
    UniqueFd unnamed(dir ? openat(dir->get(), ".", kUnnamed, mode) : open(parentHost.c_str(), kUnnamed, mode));
    if (unnamed) {
      return std::make_unique<PosixReplacement>(*this, std::move(unnamed), std::string(), destHost, std::move(dir),
                                                plain ? mode & ~umask_ : kUnknownMode);
    }
  }
  std::string temp = Join(parentHost, std::string(kTemporaryPrefix) + "XXXXXX");
  UniqueFd fd(mkostemp(temp.data(), O_CLOEXEC));
  if (!fd) return nullptr;
  // Held while this run writes it: only a file that nobody holds is a killed run's leftover.
  (void)flock(fd.get(), LOCK_EX | LOCK_NB);
  return std::make_unique<PosixReplacement>(*this, std::move(fd), std::move(temp), destHost, std::move(dir),
                                            kUnknownMode);
}

int PosixFileSystem::RemoveStaleTemporaryFiles(const std::string& folderHost) {
  // The folder's kept names when it has them; else one reading of the folder.
  std::vector<std::string> names;
  if (const FolderCache::FolderNames* kept = cache_.KeptNamesOf(folderHost)) {
    // The prefix is plain ASCII: a name's key starts with it in upper case exactly when the
    // name itself starts with it in any case.
    kept->names.ForEachName([&names](const std::string& name) {
      if (StartsWithNoCase(name, kTemporaryPrefix)) names.push_back(name);
    });
  } else if (const UniqueDir dir{opendir(folderHost.c_str())}) {
    while (const dirent* entry = readdir(dir.get())) {
      if (std::string_view(entry->d_name).rfind(kTemporaryPrefix, 0) == 0) names.emplace_back(entry->d_name);
    }
  }
  int removed = 0;
  for (const std::string& name : names) {
    const std::string host = Join(folderHost, name);
    struct stat st {};
    if (lstat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || HeldElsewhere(AT_FDCWD, host.c_str())) continue;
    if (unlink(host.c_str()) != 0) continue;
    ++removed;
    OwnNameChanged(host, OwnChange::kFileRemoved);
  }
  return removed;
}

std::unique_ptr<TextFileWriter> PosixFileSystem::OpenForWriting(const std::string& path,
                                                               WriteMode mode) {
  const auto at = locator_.Locate(path);
  if (!at || !at->parentFound || at->windows.trailingSeparator) return nullptr;
  if (!locator_.InsideDrive(*at, false)) return nullptr;
  cache_.WritingIn(at->parentHost);
  if (at->found && (at->isLink || !S_ISREG(at->st.st_mode) || (at->st.st_mode & S_IWUSR) == 0)) {
    return nullptr;  // a folder, a link, or a read-only file
  }
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW |
                    (mode == WriteMode::kAppend ? O_APPEND : O_TRUNC);
  const std::string host = at->host;
  const bool made = !at->found;
  UniqueFd fd(open(host.c_str(), flags, 0666));
  if (!fd) return nullptr;
  if (made) OwnNameChanged(host, OwnChange::kFileAdded);
  return std::make_unique<PosixWriter>(std::move(fd));
}

std::unique_ptr<FileHold> PosixFileSystem::HoldOpen(const std::string& path) {
  const auto at = locator_.Locate(path);
  if (!at || !at->IsFile()) return nullptr;
  UniqueFd fd(open(at->host.c_str(), kOpenRead));
  if (!fd) return nullptr;
  // A shared lock: a delete or a replacement probes for it and is refused while it is held.
  (void)flock(fd.get(), LOCK_SH | LOCK_NB);
  return std::make_unique<PosixHold>(std::move(fd));
}

std::vector<std::string> PosixFileSystem::ListFiles(const std::string& pattern) {
  std::vector<std::string> out;
  const std::size_t cut = pattern.find_last_of("\\/");
  if (cut == std::string::npos) return out;
  const std::string namePattern = pattern.substr(cut + 1);
  if (namePattern.empty()) return out;  // a folder path lists no files
  if (namePattern.find_first_of("*?") == std::string::npos) {
    // A plain path matches itself, in its on-disk spelling.
    const auto at = locator_.Locate(pattern);
    if (at && at->IsFile() && !at->diskNames.empty()) {
      out.push_back(AnsiNameOf(at->diskNames.back()).value_or(at->windows.components.back()));
    }
    return out;
  }
  for (char c : namePattern) {
    if (c != '*' && c != '?' && ForbiddenInName(c)) return out;
  }
  const auto at = locator_.Locate(pattern.substr(0, cut + 1));
  if (!at || !at->found || !S_ISDIR(at->st.st_mode)) return out;
  const UniqueDir dir(opendir(at->host.c_str()));
  if (!dir) return out;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view disk(entry->d_name);
    if (disk == "." || disk == "..") continue;
    const auto ansi = AnsiNameOf(disk);
    if (!ansi || !WildcardMatch(namePattern, *ansi)) continue;
    struct stat st {};
    if (stat(Join(at->host, disk).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    out.push_back(*ansi);
  }
  std::sort(out.begin(), out.end(),
            [](const std::string& a, const std::string& b) { return UCase(a) < UCase(b); });
  return out;
}

std::optional<std::string> PosixFileSystem::DriveName(char letter) {
  if (!locator_.EnsureDrive(letter)) return std::nullopt;
  struct stat st {};
  if (stat(locator_.Drives().Root(letter)->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return std::string{ToLowerAnsi(letter), ':'};
}

std::optional<std::int64_t> PosixFileSystem::FreeMegabytes(int driveNumber) {
  if (driveNumber < 0 || driveNumber > 25) return std::nullopt;
  const char letter = static_cast<char>('A' + driveNumber);
  if (!locator_.EnsureDrive(letter)) return std::nullopt;
  struct statvfs vfs {};
  if (statvfs(locator_.Drives().Root(letter)->c_str(), &vfs) != 0) return std::nullopt;
  // Blocks times block size in whole megabytes, computed so that no product can overflow.
  const std::uint64_t blocks = vfs.f_bavail;
  const std::uint64_t size = vfs.f_frsize;
  constexpr std::uint64_t kMb = 1048576;
  const std::uint64_t mb = (blocks / kMb) * size + (blocks % kMb) * size / kMb;
  return static_cast<std::int64_t>(std::min<std::uint64_t>(mb, INT64_MAX));
}

}  // namespace tunovar::posix
