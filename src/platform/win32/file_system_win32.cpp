// The file system of a Windows run: existence, attributes, folders, atomic replacement, text
// writers, holds, listings and drives through the ANSI calls of kernel32.
#include "platform/win32/file_system_win32.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#include "base/ansi_text.h"
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

bool EndsInBackslash(const std::string& path) { return !path.empty() && path.back() == '\\'; }

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
class Win32Replacement final : public ReplacementFile {
 public:
  Win32Replacement(win32::UniqueFileHandle file, std::string tempPath, std::string destination)
      : file_(std::move(file)), tempPath_(std::move(tempPath)), destination_(std::move(destination)) {}
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
    if (Usable(timesFrom) &&
        ::GetFileAttributesExA(timesFrom.c_str(), GetFileExInfoStandard, &source)) {
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
    if (!::MoveFileExA(tempPath_.c_str(), destination_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      const FsStatus status = LastStatus();
      // The old file stays as it was, attributes included.
      if (blocked) ::SetFileAttributesA(destination_.c_str(), old);
      return status == FsStatus::kOk ? FsStatus::kIoError : status;
    }
    committed_ = true;
    return FsStatus::kOk;
  }

 private:
  win32::UniqueFileHandle file_;
  std::string tempPath_;
  std::string destination_;
  bool failed_ = false;
  bool committed_ = false;
};

class Win32TextWriter final : public TextFileWriter {
 public:
  explicit Win32TextWriter(win32::UniqueFileHandle file) : file_(std::move(file)) {}
  [[nodiscard]] bool Write(std::string_view bytes) override {
    return WriteAll(file_.get(), bytes.data(), bytes.size());
  }
  [[nodiscard]] bool Sync() override { return ::FlushFileBuffers(file_.get()) != 0; }

 private:
  win32::UniqueFileHandle file_;
};

class Win32FileHold final : public FileHold {
 public:
  explicit Win32FileHold(win32::UniqueFileHandle file) : file_(std::move(file)) {}

 private:
  win32::UniqueFileHandle file_;
};

}  // namespace

Win32FileSystem::Win32FileSystem() {
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
  if (!Usable(path) || EndsInBackslash(path) ||
      !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      IsFolder(data.dwFileAttributes)) {
    return std::nullopt;
  }
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::optional<LocalDateTime> Win32FileSystem::LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!Usable(path) || !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
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

std::optional<std::string> Win32FileSystem::RealLocation(const std::string& path) {
  if (!Usable(path)) return std::nullopt;
  // The folder itself for a path ending in "\", else the folder above the last name.
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return std::nullopt;
  const std::string folder = path.substr(0, slash + 1);
  const std::string lastName = path.substr(slash + 1);
  // Opening a folder follows every junction and symbolic link on its way; the system then
  // names where the handle really is.
  const win32::UniqueFileHandle handle(::CreateFileA(
      folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::nullopt;
  // Windows before Vista cannot name it.
  static const auto finalPathName = win32::ProcAddress<decltype(&::GetFinalPathNameByHandleA)>(
      ::GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA");
  char buffer[4096];
  const DWORD length = finalPathName == nullptr ? 0
                                                : finalPathName(handle.get(), buffer, sizeof buffer,
                                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= sizeof buffer) {
    // Where the system cannot name it, a folder with no reparse point on its way lies where
    // it is written; any other cannot be placed.
    for (std::size_t at = folder.find('\\'); at != std::string::npos; at = folder.find('\\', at + 1)) {
      const DWORD attributes = AttributesOf(folder.substr(0, at + 1));
      if (at > 2 && attributes != kInvalidAttributes && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return std::nullopt;
      }
    }
    return path;
  }
  std::string real(buffer, length);
  // "\\?\C:\..." and "\\?\UNC\server\share\..." in their plain forms.
  if (real.rfind("\\\\?\\UNC\\", 0) == 0) {
    real = "\\\\" + real.substr(8);
  } else if (real.rfind("\\\\?\\", 0) == 0) {
    real = real.substr(4);
  }
  if (real.empty() || real.back() != '\\') real += '\\';
  return real + lastName;
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
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
      static_cast<std::uint64_t>(size.QuadPart) < bytes.max_size()) {
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
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
  const auto slash = destination.rfind('\\');
  if (slash == std::string::npos || slash + 1 == destination.size()) return nullptr;
  const std::string folder = destination.substr(0, slash + 1);

  if (cleanedFolders_.insert(UCase(folder)).second) (void)RemoveStaleTemporaryFiles(folder);
  const DWORD seed = ::GetCurrentProcessId() * 2654435761u + ::GetTickCount();
  for (int attempt = 0; attempt < 64; ++attempt) {
    char name[16];
    std::snprintf(name, sizeof name, "~tv%05lx.tmp",
                  static_cast<unsigned long>((seed + tempCounter_++ * 40503u) & 0xFFFFFu));
    std::string tempPath = folder + name;
    win32::UniqueFileHandle file(::CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      return std::make_unique<Win32Replacement>(std::move(file), std::move(tempPath), destination);
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
  // another writer has added to the file meanwhile.
  const bool append = mode == WriteMode::kAppend;
  win32::UniqueFileHandle file(::CreateFileA(
      path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
      append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32TextWriter>(std::move(file));
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
  // The space this user may fill (disk quotas included), not the volume's whole free space.
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExA(root, &available, nullptr, nullptr)) return std::nullopt;
  const std::uint64_t megabytes = available.QuadPart / 1048576u;
  return static_cast<std::int64_t>(
      std::min<std::uint64_t>(megabytes, std::numeric_limits<std::int64_t>::max()));
}

}  // namespace tunovar::win32
