// The file system of a Windows run: existence, attributes, folders, atomic replacement, text
// writers, holds, listings and drives through the ANSI calls of kernel32.
#include "platform/win32/file_system_win32.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#include "base/ansi_text.h"
#include "base/code_page.h"
#include "base/windows_path.h"

namespace tunovar::win32 {

FsStatus StatusOfWin32Error(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS:
      return FsStatus::kOk;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:  // a CD or floppy drive without a disc
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return FsStatus::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
      return FsStatus::kAccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_CURRENT_DIRECTORY:  // a folder that is some process's current folder
      return FsStatus::kInUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FsStatus::kDiskFull;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return FsStatus::kExists;
    case ERROR_DIR_NOT_EMPTY:
      return FsStatus::kNotEmpty;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_PARAMETER:
      return FsStatus::kInvalidPath;
    default:
      return FsStatus::kIoError;
  }
}

namespace {

constexpr DWORD kInvalidAttributes = INVALID_FILE_ATTRIBUTES;
// One ReadFile or WriteFile moves at most this much, so that a count always fits a DWORD.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

// A path the A calls can take whole: not empty and without an embedded NUL, which would
// silently cut it short.
bool Usable(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}

DWORD AttributesOf(const std::string& path) {
  return Usable(path) ? ::GetFileAttributesA(path.c_str()) : kInvalidAttributes;
}

bool IsFolder(DWORD attributes) {
  return attributes != kInvalidAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A plain file as a directory listing without special attributes shows it.
bool IsOrdinaryFile(DWORD attributes) {
  constexpr DWORD kNotOrdinary =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  return attributes != kInvalidAttributes && (attributes & kNotOrdinary) == 0;
}

FsStatus LastStatus() { return StatusOfWin32Error(::GetLastError()); }

bool WriteAll(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min(size, kMaxTransfer));
    DWORD written = 0;
    if (!::WriteFile(file, data, chunk, &written, nullptr) || written != chunk) return false;
    data += chunk;
    size -= chunk;
  }
  return true;
}

std::optional<std::size_t> ReadSome(HANDLE file, char* buffer, std::size_t size) {
  const DWORD chunk = static_cast<DWORD>(std::min(size, kMaxTransfer));
  DWORD read = 0;
  if (!::ReadFile(file, buffer, chunk, &read, nullptr)) return std::nullopt;
  return read;
}

bool SeekToEnd(HANDLE file) {
  LONG high = 0;
  return ::SetFilePointer(file, 0, &high, FILE_END) != INVALID_SET_FILE_POINTER || ::GetLastError() == NO_ERROR;
}

win32::UniqueFileHandle OpenExistingForReading(const std::string& path) {
  if (!Usable(path) || EndsInBackslash(path)) return win32::UniqueFileHandle();
  // Others may read and write while we read: the installer's own files are read whole and
  // at once, and an open by another program must not make them unreadable.
  return win32::UniqueFileHandle(::CreateFileA(path.c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

class Win32ByteReader final : public ByteReader {
 public:
  explicit Win32ByteReader(win32::UniqueFileHandle file) : file_(std::move(file)) {}
  [[nodiscard]] std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    return ReadSome(file_.get(), buffer, size);
  }

 private:
  win32::UniqueFileHandle file_;
};

// The new content is written to "~tvXXXXX.tmp" in the destination's folder (a short 8.3 name,
// so it fits wherever the destination fits) and renamed over the destination by Commit: the
// rename within one folder either happens whole or not at all.
// Where MoveFileExA cannot replace (DOS-based Windows has the call, but it only fails), the
// old file is first renamed aside to a second temporary name, the new one moved in and only
// then the old one deleted: until the new file has its name, the old one is whole under one
// of the two names, and a failed move puts it back. A run killed between the two moves
// leaves both copies as "~tv*.tmp" and the destination missing; the next run places the
// file again and removes both.
class Win32Replacement final : public ReplacementFile {
 public:
  Win32Replacement(win32::UniqueFileHandle file, std::string tempPath, std::string destination,
                   const Win32FileSystem& fs, std::string asidePath, bool moveFileExWorks)
      : file_(std::move(file)),
        tempPath_(std::move(tempPath)),
        destination_(std::move(destination)),
        fs_(fs),
        asidePath_(std::move(asidePath)),
        moveFileExWorks_(moveFileExWorks) {}
  Win32Replacement(const Win32Replacement&) = delete;
  Win32Replacement& operator=(const Win32Replacement&) = delete;

  ~Win32Replacement() override {
    file_.reset();
    if (!committed_) ::DeleteFileA(tempPath_.c_str());
  }

  [[nodiscard]] bool Write(const char* data, std::size_t size) override {
    if (!file_ || failed_) return false;
    if (!WriteAll(file_.get(), data, size)) failed_ = true;
    return !failed_;
  }

  [[nodiscard]] FsStatus Commit(const std::string& timesFrom) override {
    if (!file_ || committed_ || failed_) return FsStatus::kIoError;

    // The source's last-write time makes the newer-only rule see the copy as equal next time.
    // Attributes are not taken over: every file on a CD is read-only, and the installed
    // product must be able to replace its own files.
    WIN32_FILE_ATTRIBUTE_DATA source{};
    if (Usable(timesFrom) && fs_.AttributeDataOf(timesFrom, source)) {
      if (!::SetFileTime(file_.get(), nullptr, nullptr, &source.ftLastWriteTime)) {
        return LastStatus();
      }
    }
    // Closing can report a late write error (a full network share); the data must be whole.
    if (!::CloseHandle(file_.release())) return LastStatus();

    const DWORD old = ::GetFileAttributesA(destination_.c_str());
    constexpr DWORD kBlocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const bool blocked = old != kInvalidAttributes && !IsFolder(old) && (old & kBlocking) != 0;
    if (blocked) ::SetFileAttributesA(destination_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DWORD error = ERROR_SUCCESS;
    bool moved = false;
    if (moveFileExWorks_) {
      moved = ::MoveFileExA(tempPath_.c_str(), destination_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
      if (!moved) error = HeldOrError(old, ::GetLastError());
    } else if (IsFolder(old)) {
      error = ERROR_ACCESS_DENIED;  // as MoveFileExA answers: a folder is not replaced by a file
    } else {
      moved = MoveInPastTheOldFile(old != kInvalidAttributes, error);
    }
    if (!moved) {
      // The old file stays as it was, attributes included.
      if (blocked) ::SetFileAttributesA(destination_.c_str(), old);
      const FsStatus status = StatusOfWin32Error(error);
      return status == FsStatus::kOk ? FsStatus::kIoError : status;
    }
    committed_ = true;
    return FsStatus::kOk;
  }

 private:
  // A move over a file that another program holds open without delete sharing is refused
  // as access denied, where the move aside of the oldest systems sees the sharing violation
  // it is: the destination is asked for delete access to tell the two apart.
  DWORD HeldOrError(DWORD oldAttributes, DWORD error) const {
    if (error != ERROR_ACCESS_DENIED || oldAttributes == kInvalidAttributes || IsFolder(oldAttributes)) return error;
    const win32::UniqueFileHandle probe(::CreateFileA(destination_.c_str(), DELETE,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe && ::GetLastError() == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION : error;
  }

  // The rename aside, the move in, the deletion of the old file; error is the failure's.
  bool MoveInPastTheOldFile(bool oldExists, DWORD& error) {
    if (oldExists && !::MoveFileA(destination_.c_str(), asidePath_.c_str())) {
      error = ::GetLastError();
      return false;
    }
    if (!::MoveFileA(tempPath_.c_str(), destination_.c_str())) {
      error = ::GetLastError();
      if (oldExists) (void)::MoveFileA(asidePath_.c_str(), destination_.c_str());
      return false;
    }
    // The new file is in place; an old file that cannot be deleted now is a stale temporary
    // file, which the next replacement in this folder removes.
    if (oldExists) (void)::DeleteFileA(asidePath_.c_str());
    return true;
  }

  win32::UniqueFileHandle file_;
  std::string tempPath_;
  std::string destination_;
  const Win32FileSystem& fs_;
  std::string asidePath_;
  bool moveFileExWorks_;
  bool failed_ = false;
  bool committed_ = false;
};

class Win32TextWriter final : public TextFileWriter {
 public:
  // atEnd: each write first goes to the file's current end (an append without append access).
  Win32TextWriter(win32::UniqueFileHandle file, bool atEnd) : file_(std::move(file)), atEnd_(atEnd) {}
  [[nodiscard]] bool Write(std::string_view bytes) override {
    if (atEnd_ && !SeekToEnd(file_.get())) return false;
    return WriteAll(file_.get(), bytes.data(), bytes.size());
  }
  [[nodiscard]] bool Sync() override { return ::FlushFileBuffers(file_.get()) != 0; }

 private:
  win32::UniqueFileHandle file_;
  bool atEnd_;
};

class Win32FileHold final : public FileHold {
 public:
  explicit Win32FileHold(win32::UniqueFileHandle file) : file_(std::move(file)) {}

 private:
  win32::UniqueFileHandle file_;
};

}  // namespace

Win32FileSystem::Win32FileSystem(const SystemCalls& calls) : calls_(calls) {
  // An empty CD or floppy drive must answer "not ready" to a lookup, not put up the
  // system's "There is no disk in the drive" box in front of the installer.
  const UINT mode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  ::SetErrorMode(mode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

bool Win32FileSystem::FileExists(const std::string& path) {
  if (EndsInBackslash(path)) return false;
  return IsOrdinaryFile(AttributesOf(path));
}

bool Win32FileSystem::EntryExists(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  if (attributes == kInvalidAttributes) return false;
  return !EndsInBackslash(path) || IsFolder(attributes);
}

bool Win32FileSystem::FolderExists(const std::string& path) { return IsFolder(AttributesOf(path)); }

std::optional<std::uint64_t> Win32FileSystem::FileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!Usable(path) || EndsInBackslash(path) || !AttributeDataOf(path, data) ||
      IsFolder(data.dwFileAttributes)) {
    return std::nullopt;
  }
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::optional<LocalDateTime> Win32FileSystem::LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!Usable(path) || !AttributeDataOf(path, data)) return std::nullopt;
  // Local time as the system shows it in a folder listing (the current daylight-saving
  // bias applies), the same conversion for source and destination.
  FILETIME local{};
  SYSTEMTIME st{};
  if (!::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !::FileTimeToSystemTime(&local, &st)) {
    return std::nullopt;
  }
  return LocalDateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

FsStatus Win32FileSystem::ClearAttributes(const std::string& path) {
  if (!Usable(path)) return FsStatus::kInvalidPath;
  // A junction or symbolic link keeps its attributes: nothing is changed where it leads.
  const DWORD attributes = AttributesOf(path);
  if (attributes != kInvalidAttributes && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return FsStatus::kAccessDenied;
  }
  return ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) ? FsStatus::kOk : LastStatus();
}

namespace {

// "\\?\C:\..." and "\\?\UNC\server\share\..." as GetFinalPathNameByHandleA names them, in their
// plain forms.
std::string PlainFinalPath(std::string real) {
  if (real.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + real.substr(8);
  if (real.rfind("\\\\?\\", 0) == 0) return real.substr(4);
  return real;
}

}  // namespace

std::optional<std::string> Win32FileSystem::RealLocation(const std::string& path) {
  if (!Usable(path)) return std::nullopt;
  // The folder itself for a path ending in "\", else the folder above the last name.
  const std::size_t slash = ActiveCodePage().FindLastChar(path, '\\');
  if (slash == std::string::npos) return std::nullopt;
  const std::string folder = path.substr(0, slash + 1);
  const std::string lastName = path.substr(slash + 1);
  // DOS-based Windows has neither junctions nor symbolic links, and opens no folder as a file:
  // every path lies where it is written.
  if (calls_.dosBased) return path;
  // Opening a folder follows every junction and symbolic link on its way; the system then
  // names where the handle really is.
  const win32::UniqueFileHandle handle(::CreateFileA(
      folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::nullopt;
  // Windows before Vista cannot name it.
  const auto finalPathName = calls_.getFinalPathNameByHandle;
  char buffer[4096];
  const DWORD length = finalPathName == nullptr ? 0
                                                : finalPathName(handle.get(), buffer, sizeof buffer,
                                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= sizeof buffer) {
    // Where the system cannot name it, a folder with no reparse point on its way lies where
    // it is written; any other cannot be placed.
    const CodePage& cp = ActiveCodePage();
    for (std::size_t at = cp.FindChar(folder, '\\'); at != std::string::npos; at = cp.FindChar(folder, '\\', at + 1)) {
      const DWORD attributes = AttributesOf(folder.substr(0, at + 1));
      if (at > 2 && attributes != kInvalidAttributes && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return std::nullopt;
      }
    }
    return path;
  }
  std::string real = PlainFinalPath(std::string(buffer, length));
  if (!EndsInBackslash(real)) real += '\\';
  real += lastName;
  if (lastName.empty()) return real;
  // The entry itself, opened without following a link of the system's at its last name (such a
  // link is removed as a link). A link the system does not see as one (a host link under
  // Wine) is followed by every call that opens or deletes the entry: it counts as lying where
  // it leads, which may be outside.
  const win32::UniqueFileHandle entry(::CreateFileA(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!entry) return real;
  const DWORD entryLength =
      finalPathName(entry.get(), buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (entryLength == 0 || entryLength >= sizeof buffer) return real;
  std::string entryReal = PlainFinalPath(std::string(buffer, entryLength));
  while (EndsInBackslash(entryReal)) entryReal.pop_back();
  return EqualsNoCase(entryReal, real) ? real : entryReal;
}

FsStatus Win32FileSystem::CreateFolder(const std::string& path) {
  if (!Usable(path)) return FsStatus::kInvalidPath;
  return ::CreateDirectoryA(path.c_str(), nullptr) ? FsStatus::kOk : LastStatus();
}

FsStatus Win32FileSystem::RemoveFolder(const std::string& path) {
  if (!Usable(path)) return FsStatus::kInvalidPath;
  if (::RemoveDirectoryA(path.c_str())) return FsStatus::kOk;
  const DWORD error = ::GetLastError();
  // The temporary files of a killed run do not keep a folder of the product.
  if (error == ERROR_DIR_NOT_EMPTY && RemoveStaleTemporaryFiles(WithTrailingBackslash(path)) > 0 &&
      ::RemoveDirectoryA(path.c_str())) {
    return FsStatus::kOk;
  }
  // A file of that name is no folder to remove.
  if (error == ERROR_DIRECTORY || (error == ERROR_ACCESS_DENIED && !FolderExists(path) &&
                                   EntryExists(path))) {
    return FsStatus::kNotFound;
  }
  return StatusOfWin32Error(error);
}

FsStatus Win32FileSystem::DeleteFile(const std::string& path) {
  if (!Usable(path)) return FsStatus::kInvalidPath;
  if (::DeleteFileA(path.c_str())) return FsStatus::kOk;
  const DWORD error = ::GetLastError();
  // DeleteFileA answers "access denied" for a folder; there is no file of that name.
  if (error == ERROR_ACCESS_DENIED && FolderExists(path)) return FsStatus::kNotFound;
  return StatusOfWin32Error(error);
}

std::optional<std::string> Win32FileSystem::ReadWholeFile(const std::string& path) {
  const win32::UniqueFileHandle file = OpenExistingForReading(path);
  if (!file) return std::nullopt;
  std::string bytes;
  // GetFileSize is there on every Windows; its answer only sizes the buffer.
  DWORD high = 0;
  const DWORD low = ::GetFileSize(file.get(), &high);
  const std::uint64_t size = (std::uint64_t{high} << 32) | low;
  if ((low != INVALID_FILE_SIZE || ::GetLastError() == NO_ERROR) && size > 0 && size < bytes.max_size()) {
    bytes.reserve(static_cast<std::size_t>(size));
  }
  // Read to the end rather than to the size taken before: the file may still be growing.
  char buffer[65536];
  for (;;) {
    const auto read = ReadSome(file.get(), buffer, sizeof buffer);
    if (!read) return std::nullopt;
    if (*read == 0) return bytes;
    bytes.append(buffer, *read);
  }
}

std::unique_ptr<ByteReader> Win32FileSystem::OpenForReading(const std::string& path) {
  win32::UniqueFileHandle file = OpenExistingForReading(path);
  if (!file) return nullptr;
  return std::make_unique<Win32ByteReader>(std::move(file));
}

std::unique_ptr<ReplacementFile> Win32FileSystem::CreateReplacement(const std::string& destination) {
  if (!Usable(destination)) return nullptr;
  const auto slash = ActiveCodePage().FindLastChar(destination, '\\');
  if (slash == std::string::npos || slash + 1 == destination.size()) return nullptr;
  const std::string folder = destination.substr(0, slash + 1);

  if (cleanedFolders_.insert(UCase(folder)).second) (void)RemoveStaleTemporaryFiles(folder);
  const DWORD seed = ::GetCurrentProcessId() * 2654435761u + ::GetTickCount();
  const auto nextName = [&] {
    char name[16];
    std::snprintf(name, sizeof name, "~tv%05lx.tmp",
                  static_cast<unsigned long>((seed + tempCounter_++ * 40503u) & 0xFFFFFu));
    return folder + name;
  };
  for (int attempt = 0; attempt < 64; ++attempt) {
    std::string tempPath = nextName();
    win32::UniqueFileHandle file(::CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      // Where the old file must be renamed aside first: a name beside it that is free now.
      std::string asidePath;
      for (int more = 0; calls_.dosBased && more < 64 && asidePath.empty(); ++more) {
        std::string candidate = nextName();
        if (candidate != tempPath && AttributesOf(candidate) == kInvalidAttributes) asidePath = std::move(candidate);
      }
      if (calls_.dosBased && asidePath.empty()) return nullptr;
      return std::make_unique<Win32Replacement>(std::move(file), std::move(tempPath), destination, *this,
                                                std::move(asidePath), !calls_.dosBased);
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
  }
  return nullptr;
}

int Win32FileSystem::RemoveStaleTemporaryFiles(const std::string& folder) {
  // "~tv" and five hexadecimal digits, as CreateReplacement names them.
  const auto isTemporary = [](std::string_view name) {
    if (name.size() != 12 || !StartsWithNoCase(name, "~tv") || !EndsWithNoCase(name, ".tmp")) return false;
    return name.substr(3, 5).find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
  };
  WIN32_FIND_DATAA found{};
  const win32::UniqueFindHandle find(::FindFirstFileA((folder + "~tv*.tmp").c_str(), &found));
  if (!find) return 0;
  int removed = 0;
  do {
    // A live run writes its file without sharing it: the delete fails for that one.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && isTemporary(found.cFileName) &&
        ::DeleteFileA((folder + found.cFileName).c_str())) {
      ++removed;
    }
  } while (::FindNextFileA(find.get(), &found));
  return removed;
}

std::unique_ptr<TextFileWriter> Win32FileSystem::OpenForWriting(const std::string& path,
                                                                WriteMode mode) {
  if (!Usable(path) || EndsInBackslash(path)) return nullptr;
  // Appending asks for append access only: every write lands at the current end, also when
  // another writer has added to the file meanwhile. DOS-based Windows knows no access but
  // reading and writing: there each write is sent to the current end first.
  const bool append = mode == WriteMode::kAppend;
  const bool seekEachWrite = append && calls_.dosBased;
  const DWORD access = append && !seekEachWrite ? FILE_APPEND_DATA : GENERIC_WRITE;
  win32::UniqueFileHandle file(::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr,
                                             append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                             nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32TextWriter>(std::move(file), seekEachWrite);
}

std::unique_ptr<FileHold> Win32FileSystem::HoldOpen(const std::string& path) {
  if (!Usable(path) || EndsInBackslash(path)) return nullptr;
  // Read sharing only: nobody may delete, rename or write the file while it is held.
  win32::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32FileHold>(std::move(file));
}

std::vector<std::string> Win32FileSystem::ListFiles(const std::string& pattern) {
  std::vector<std::string> names;
  if (!Usable(pattern) || EndsInBackslash(pattern)) return names;
  WIN32_FIND_DATAA found{};
  const win32::UniqueFindHandle find(::FindFirstFileA(pattern.c_str(), &found));
  if (!find) return names;
  do {
    if (IsOrdinaryFile(found.dwFileAttributes)) names.emplace_back(found.cFileName);
  } while (::FindNextFileA(find.get(), &found));
  return names;
}

std::optional<std::string> Win32FileSystem::DriveName(char letter) {
  char lower = letter;
  if (lower >= 'A' && lower <= 'Z') lower = static_cast<char>(lower - 'A' + 'a');
  if (lower < 'a' || lower > 'z') return std::nullopt;
  const DWORD drives = ::GetLogicalDrives();
  if ((drives & (DWORD{1} << (lower - 'a'))) == 0) return std::nullopt;
  return std::string{lower, ':'};
}

std::optional<std::int64_t> Win32FileSystem::FreeMegabytes(int driveNumber) {
  if (driveNumber < 0 || driveNumber > 25) return std::nullopt;
  const char root[] = {static_cast<char>('A' + driveNumber), ':', '\\', '\0'};
  std::uint64_t bytes = 0;
  if (calls_.getDiskFreeSpaceEx != nullptr) {
    // The space this user may fill (disk quotas included), not the volume's whole free space.
    ULARGE_INTEGER available{};
    if (!calls_.getDiskFreeSpaceEx(root, &available, nullptr, nullptr)) return std::nullopt;
    bytes = available.QuadPart;
  } else {
    // Windows 95 before OSR 2 has only the cluster figures. They report at most 2 GB, which
    // is all a volume there can hold (FAT16); NT 4 always has the call above.
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!::GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
      return std::nullopt;
    }
    bytes = std::uint64_t{sectorsPerCluster} * bytesPerSector * freeClusters;
  }
  const std::uint64_t megabytes = bytes / 1048576u;
  return static_cast<std::int64_t>(
      std::min<std::uint64_t>(megabytes, std::numeric_limits<std::int64_t>::max()));
}

bool Win32FileSystem::AttributeDataOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) const {
  if (!Usable(path)) return false;
  if (calls_.getFileAttributesEx != nullptr) {
    return calls_.getFileAttributesEx(path.c_str(), GetFileExInfoStandard, &data) != 0;
  }
  // Windows 95: the attributes, then size and times from the folder's listing of the entry. A
  // wildcard would list other entries, and a drive's root is listed nowhere: no data.
  data = WIN32_FILE_ATTRIBUTE_DATA{};
  data.dwFileAttributes = ::GetFileAttributesA(path.c_str());
  if (data.dwFileAttributes == kInvalidAttributes) return false;
  if (path.find_first_of("*?") != std::string::npos) return false;
  const std::string listed = path.size() > 3 && EndsInBackslash(path) ? path.substr(0, path.size() - 1) : path;
  WIN32_FIND_DATAA found{};
  const win32::UniqueFindHandle find(::FindFirstFileA(listed.c_str(), &found));
  if (!find) return false;
  data.ftCreationTime = found.ftCreationTime;
  data.ftLastAccessTime = found.ftLastAccessTime;
  data.ftLastWriteTime = found.ftLastWriteTime;
  data.nFileSizeHigh = found.nFileSizeHigh;
  data.nFileSizeLow = found.nFileSizeLow;
  return true;
}

}  // namespace tunovar::win32
