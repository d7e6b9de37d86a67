// Standard error, the log file and the progress bar of an unattended Windows run.
#include "platform/win32/console_win32.h"

#include <algorithm>

#include "base/console_text.h"

namespace tunovar::win32 {
namespace {

// A handle that stands for an open file, pipe or console. A program of the window subsystem
// may be given stale console handles by its parent; GetFileType tells them apart.
bool IsUsableHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  ::SetLastError(NO_ERROR);
  return ::GetFileType(handle) != FILE_TYPE_UNKNOWN || ::GetLastError() == NO_ERROR;
}

bool WriteBytes(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

Win32Console::Win32Console(bool silent, const std::optional<std::string>& logFile, const SystemCalls& calls)
    : logFile_(logFile), calls_(calls) {
  if (logFile_ && (logFile_->empty() || logFile_->find('\0') != std::string::npos)) {
    logFile_.reset();
    logFailed_ = true;
  }
  HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
  // Standard error redirected by the parent (a file, a pipe) is used as it is. Otherwise a
  // silent run borrows the console of the program that started it, when there is one; started
  // from Explorer there is none, and its messages go only to the log.
  if (!IsUsableHandle(handle) && silent && calls_.attachConsole != nullptr &&
      calls_.attachConsole(ATTACH_PARENT_PROCESS)) {
    handle = ::GetStdHandle(STD_ERROR_HANDLE);
    if (!IsUsableHandle(handle)) {
      errorOwned_.reset(::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      0, nullptr));
      handle = errorOwned_.get();
    }
  }
  if (!IsUsableHandle(handle)) return;
  error_ = handle;
  errorIsCharDevice_ = ::GetFileType(handle) == FILE_TYPE_CHAR;
  DWORD mode = 0;
  errorIsConsole_ = errorIsCharDevice_ && ::GetConsoleMode(handle, &mode);
  if (logFailed_) WriteError("The log file name is not usable.");
}

Win32Console::~Win32Console() { EndProgressLine(); }

void Win32Console::WriteToError(std::string_view ansi) {
  if (error_ == nullptr || ansi.empty()) return;
  if (!errorIsConsole_) {
    // A file or pipe gets the ANSI bytes as the installer's own files hold them.
    (void)WriteBytes(error_, ansi);
    return;
  }
  // A console shows its own code page (an OEM one); Unicode shows umlauts right in any.
  const int size = static_cast<int>(std::min<std::size_t>(ansi.size(), 1u << 24));
  const int wideSize = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  if (wideSize <= 0) return;
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), wideSize);
  DWORD written = 0;
  if (::WriteConsoleW(error_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) return;
  // Windows 95 has WriteConsoleW only as a call that fails: the console's own code page then.
  const int oemSize = ::WideCharToMultiByte(CP_OEMCP, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  if (oemSize <= 0) return;
  std::string oem(static_cast<std::size_t>(oemSize), '\0');
  ::WideCharToMultiByte(CP_OEMCP, 0, wide.data(), wideSize, oem.data(), oemSize, nullptr, nullptr);
  (void)::WriteConsoleA(error_, oem.data(), static_cast<DWORD>(oem.size()), &written, nullptr);
}

void Win32Console::EndProgressLine() {
  if (shownPercent_ < 0 || !progressLineOpen_) return;
  WriteToError("\r\n");
  progressLineOpen_ = false;
}

void Win32Console::WriteError(std::string_view line) {
  EndProgressLine();
  // Lines end in CR LF on the console; a message of several lines may carry bare LFs.
  WriteToError(WithLineEnds(line, "\r\n") + "\r\n");
}

void Win32Console::WriteLog(std::string_view line) {
  if (!logFile_) return;
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  const LocalDateTime when{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  // Opened for each line and closed again: the log never holds a file open while the
  // uninstaller hands its folder to the removal batch, and survives a run that is killed.
  // DOS-based Windows knows no append access: there the line is written at the end it finds.
  const win32::UniqueFileHandle file(::CreateFileA(logFile_->c_str(),
                                                   calls_.dosBased ? GENERIC_WRITE : FILE_APPEND_DATA,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  const auto toEnd = [&] {
    LONG high = 0;
    return ::SetFilePointer(file.get(), 0, &high, FILE_END) != INVALID_SET_FILE_POINTER || ::GetLastError() == NO_ERROR;
  };
  if (file && (!calls_.dosBased || toEnd()) && WriteBytes(file.get(), LogLineText(when, line, "\r\n"))) return;
  if (!logFailed_) {
    logFailed_ = true;
    WriteError("The log file " + *logFile_ + " cannot be written.");
  }
}

void Win32Console::ShowProgressBar(int percent) {
  // Drawn in place with "\r", which only a console or terminal understands; a file or pipe
  // would collect every step.
  if (!errorIsCharDevice_) return;
  percent = std::clamp(percent, 0, 100);
  if (percent == shownPercent_) return;
  std::string bar = "\r" + ProgressBarText(percent);
  if (percent == 100) bar += "\r\n";
  WriteToError(bar);
  shownPercent_ = percent;
  progressLineOpen_ = percent != 100;
}

}  // namespace tunovar::win32
