// The shell and system calls of a Windows run: opening files, Program Manager's DDE
// (dde_conversation_win32.h), the uninstall entry, windows of other programs, system folders,
// path forms, one instance. The Start Menu's links are in shell_links_win32.cpp.
#include "platform/win32/shell_win32.h"

#include "platform/win32/dde_conversation_win32.h"

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>

#include "base/code_page.h"
#include "base/windows_path.h"

namespace tunovar::win32 {
namespace {

bool HasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

bool SetString(HKEY key, const char* name, const std::string& value) {
  if (value.size() >= MAXDWORD) return false;  // its length with the NUL must fit a DWORD
  return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool SetDword(HKEY key, const char* name, DWORD value) {
  return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          DWORD{sizeof value}) == ERROR_SUCCESS;
}

// The product folder: the folder above the uninstaller's own ("...\TUNOVAR\runtime\").
std::string InstallLocationOf(const std::string& uninstallerPath) {
  std::string folder = FolderOfPath(uninstallerPath);
  while (EndsInBackslash(folder)) folder.pop_back();
  const auto above = ActiveCodePage().FindLastChar(folder, '\\');
  if (above == std::string::npos || above < 2) return folder;
  return folder.substr(0, above);
}

bool WriteUninstallEntry(HKEY root, const UninstallEntry& entry) {
  const std::string& uninstallerPath = entry.uninstallerPath;
  win32::UniqueRegKey key;
  if (::RegCreateKeyExA(root, kUninstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::string quoted = "\"" + uninstallerPath + "\"";
  const bool written = SetString(key.get(), "DisplayName", entry.displayName) &&
                       SetString(key.get(), "DisplayVersion", entry.displayVersion) &&
                       SetDword(key.get(), "EstimatedSize", entry.estimatedSizeKb) &&
                       SetString(key.get(), "UninstallString", quoted) &&
                       SetString(key.get(), "QuietUninstallString", quoted + " /S") &&
                       SetString(key.get(), "InstallLocation", InstallLocationOf(uninstallerPath)) &&
                       SetString(key.get(), "DisplayIcon", uninstallerPath + ",0") &&
                       SetString(key.get(), "Publisher", "Ovri") &&
                       SetDword(key.get(), "NoModify", 1) && SetDword(key.get(), "NoRepair", 1);
  if (!written) {
    // Half an entry would show in the list without a way to uninstall.
    key.reset();
    ::RegDeleteKeyA(root, kUninstallKey);
  }
  return written;
}

// GetWindowsDirectoryA and GetSystemDirectoryA into a buffer of 200 characters.
std::optional<std::string> SystemFolder(UINT(WINAPI* call)(LPSTR, UINT)) {
  constexpr UINT kCapacity = 200;
  char buffer[kCapacity] = {};
  const UINT length = call(buffer, kCapacity);
  if (length < 1) return std::nullopt;
  // A longer folder is reported by its size, and nothing is written.
  if (length >= kCapacity) return std::string();
  return std::string(buffer, length);
}

// GetShortPathNameA and GetLongPathNameA with a capacity of 1000 characters.
std::string ConvertedPath(DWORD(WINAPI* call)(LPCSTR, LPSTR, DWORD), const std::string& path) {
  constexpr DWORD kCapacity = 1000;
  if (path.empty() || HasNul(path)) return std::string();
  std::string buffer(kCapacity, '\0');
  const DWORD length = call(path.c_str(), buffer.data(), kCapacity);
  // 0 is a failure; a count of the capacity or more is the size a longer result would need.
  if (length == 0 || length >= kCapacity) return std::string();
  buffer.resize(length);
  return buffer;
}

}  // namespace

int Win32Shell::Open(const std::string& file, const std::string& parameters,
                     const std::string& workingFolder, ShowMode show) {
  // An empty file name would open the working folder in Explorer; there is no such file.
  if (file.empty() || HasNul(file) || HasNul(parameters) || HasNul(workingFolder)) {
    return SE_ERR_FNF;
  }
  // ShellExecuteA may hand the file to a shell extension, which needs COM on this thread.
  const ComScope com(calls_);
  // The shell reads "%NAME%" in the working folder as a variable (a folder named "100%PATH%"
  // then names no folder): such a folder becomes the current one for the call instead, which
  // the started program inherits and where a file named without a folder is found.
  const bool asCurrent = workingFolder.find('%') != std::string::npos;
  char previous[MAX_PATH + 1] = {};
  const bool switched = asCurrent && ::GetCurrentDirectoryA(sizeof previous, previous) - 1 < sizeof previous - 1 &&
                        ::SetCurrentDirectoryA(workingFolder.c_str());
  const HINSTANCE result = ::ShellExecuteA(
      nullptr, "open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
      workingFolder.empty() || switched ? nullptr : workingFolder.c_str(),
      show == ShowMode::kHidden ? SW_HIDE : SW_SHOWNORMAL);
  if (switched) (void)::SetCurrentDirectoryA(previous);
  // The result is a number dressed as a handle: above 32 when opened, else the error.
  const INT_PTR value = reinterpret_cast<INT_PTR>(result);
  return static_cast<int>(std::clamp<INT_PTR>(value, 0, INT_MAX));
}

DdeStatus Win32Shell::DdeExecute(const std::string& service, const std::string& topic,
                                 const std::string& command, int connectMs, int timeoutMs) {
  if (service.empty() || topic.empty() || HasNul(service) || HasNul(topic)) {
    return DdeStatus::kRefused;
  }
  if (HasNul(command)) return DdeStatus::kNotProcessed;
  // A limit of 0 would let no window answer at all; the least wait is 1 ms.
  return ExecuteOverDde(service, topic, command, static_cast<DWORD>(std::max(connectMs, 1)),
                        static_cast<DWORD>(std::max(timeoutMs, 1)));
}

bool Win32Shell::RegisterUninstaller(const UninstallEntry& entry) {
  // An entry without a program to run, or without a name to list, would only mislead.
  if (entry.uninstallerPath.empty() || entry.displayName.empty() || HasNul(entry.uninstallerPath) ||
      HasNul(entry.displayName) || HasNul(entry.displayVersion)) {
    return false;
  }
  return WriteUninstallEntry(HKEY_LOCAL_MACHINE, entry) || WriteUninstallEntry(HKEY_CURRENT_USER, entry);
}

bool Win32Shell::UnregisterUninstaller() {
  // Both places: an earlier installation may have been made by another user or without the
  // right to write the machine's entries.
  const bool machine = ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey) == ERROR_SUCCESS;
  const bool user = ::RegDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey) == ERROR_SUCCESS;
  return machine || user;
}

std::optional<WindowRef> Win32Shell::FindTopWindow(const std::string& className,
                                                   const std::string& title) {
  if (HasNul(className) || HasNul(title)) return std::nullopt;
  const HWND window = ::FindWindowA(className.c_str(), title.c_str());
  if (window == nullptr) return std::nullopt;
  return reinterpret_cast<WindowRef>(window);
}

void Win32Shell::SendClose(WindowRef window) {
  if (window == 0) return;
  // Waits as SendMessageA does while the window handles the message (a question it asks
  // the user included), but not on a window whose program has stopped answering: that
  // would hold the uninstaller for ever.
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(reinterpret_cast<HWND>(window), WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG,
                        UINT_MAX, &result);
}

std::uint16_t Win32Shell::SystemDefaultLangId() { return ::GetSystemDefaultLangID(); }

std::optional<std::string> Win32Shell::WindowsDirectory() {
  return SystemFolder(::GetWindowsDirectoryA);
}

bool Win32Shell::DosBasedWindows() { return calls_.dosBased; }

std::optional<std::string> Win32Shell::BatchBytes(std::string_view ansi) {
  // Below 128 every ANSI and OEM code page holds the same characters.
  if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::string(ansi);
  }
  if (ansi.size() > INT_MAX / 2) return std::nullopt;
  const int length = static_cast<int>(ansi.size());
  std::wstring wide(ansi.size(), L'\0');
  const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), length);
  if (wideLength <= 0) return std::nullopt;
  wide.resize(static_cast<std::size_t>(wideLength));
  // A double-byte OEM code page takes at most two bytes a character.
  std::string oem(wide.size() * 2, '\0');
  const int oemLength = ::WideCharToMultiByte(CP_OEMCP, 0, wide.data(), wideLength, oem.data(),
                                              static_cast<int>(oem.size()), nullptr, nullptr);
  if (oemLength <= 0) return std::nullopt;
  oem.resize(static_cast<std::size_t>(oemLength));
  std::wstring back(oem.size(), L'\0');
  const int backLength = ::MultiByteToWideChar(CP_OEMCP, 0, oem.data(), oemLength, back.data(), oemLength);
  if (backLength != wideLength || back.compare(0, wide.size(), wide) != 0) return std::nullopt;
  return oem;
}

bool Win32Shell::StartBatch(const std::string& batchName, const std::string& workingFolder) {
  if (batchName.empty() || HasNul(batchName) || HasNul(workingFolder)) return false;
  std::string interpreter(MAX_PATH + 1, '\0');
  DWORD length = ::GetEnvironmentVariableA("ComSpec", interpreter.data(), MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) {
    const std::optional<std::string> system = SystemDirectory();
    if (!system || system->empty()) return false;
    interpreter = *system + "\\cmd.exe";
  } else {
    interpreter.resize(length);
  }
  // The batch is named from its working folder: a folder name such as "%PATH%" in a full
  // path would be read as the variable.
  std::string commandLine = "\"" + interpreter + "\" /c " + batchName;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  // Where CREATE_NO_WINDOW is not known, the console it then makes is not shown.
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  // No handle is inherited: the removal list held open must stay this program's alone, and a
  // console this program attached to stays out of the batch's way.
  if (!::CreateProcessA(interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process)) {
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

std::optional<std::string> Win32Shell::SystemDirectory() {
  return SystemFolder(::GetSystemDirectoryA);
}

std::string Win32Shell::ShortPathName(const std::string& path) {
  return ConvertedPath(::GetShortPathNameA, path);
}

std::string Win32Shell::LongPathName(const std::string& path) {
  if (calls_.getLongPathName != nullptr) return ConvertedPath(calls_.getLongPathName, path);
  // Windows 95 and NT 4: each name as the folder above it lists it.
  if (path.empty() || HasNul(path) || ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return std::string();
  }
  std::string longPath = LongPathByComponents(path, [](const std::string& upToName) -> std::optional<std::string> {
    WIN32_FIND_DATAA found{};
    const win32::UniqueFindHandle find(::FindFirstFileA(upToName.c_str(), &found));
    if (!find) return std::nullopt;
    return std::string(found.cFileName);
  });
  // The same capacity as the call's.
  return longPath.size() < 1000 ? longPath : std::string();
}

bool Win32Shell::AnotherInstanceRunning() {
  if (anotherInstance_) return *anotherInstance_;
  HANDLE mutex = nullptr;
  DWORD error = ERROR_INVALID_NAME;
  for (const std::string& name : mutexNames_) {
    mutex = ::CreateMutexA(nullptr, FALSE, name.c_str());
    error = ::GetLastError();
    // Refused for its name (a namespace the system does not know): the next name. Access
    // denied means the mutex is there and held.
    if (mutex != nullptr || error == ERROR_ACCESS_DENIED) break;
  }
  instanceMutex_.reset(mutex);
  // A mutex made by another user's elevated instance may refuse us; it is still held.
  anotherInstance_ = mutex != nullptr ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
  return *anotherInstance_;
}

}  // namespace tunovar::win32
