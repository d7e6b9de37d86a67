// The shell and system calls of a Windows run: ShellExecuteA, a DDE client with time limits,
// shell links in the Start Menu, the uninstall entry in the registry, top-level windows, system folders and path forms, the single-instance
// mutex.
//
// Shell members on Windows: real  every one.
#pragma once

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/shell.h"
#include "platform/win32/win32.h"

namespace tunovar::win32 {

// The uninstall entry lives under this key, below HKEY_LOCAL_MACHINE when the user may write
// there, else below HKEY_CURRENT_USER (Programs and Features lists both).
inline constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OvriTUNOVAR";

// Held for the life of the process by the first instance; the installer and the installed
// uninstaller share it, so neither runs while the other does. Tried in this order: Windows 95
// and NT 4 know no namespaces and refuse a "\\" in the name, so the name without its prefix
// follows (every instance on such a system uses that one).
inline constexpr const char* kInstanceMutexNames[] = {"Local\\OvriTUNOVARSetup", "OvriTUNOVARSetup"};

class Win32Shell final : public Shell {
 public:
  // calls says which newer calls the system has (a check passes OldestSystem()); mutexNames
  // are the single-instance names in the order they are tried.
  explicit Win32Shell(const SystemCalls& calls = ThisSystem(),
                      std::vector<std::string> mutexNames = {std::begin(kInstanceMutexNames),
                                                             std::end(kInstanceMutexNames)})
      : calls_(calls), mutexNames_(std::move(mutexNames)) {}
  Win32Shell(const Win32Shell&) = delete;
  Win32Shell& operator=(const Win32Shell&) = delete;

  int Open(const std::string& file, const std::string& parameters,
           const std::string& workingFolder, ShowMode show) override;
  DdeStatus DdeExecute(const std::string& service, const std::string& topic,
                       const std::string& command, int connectMs, int timeoutMs) override;

  // (shell_links_win32.cpp) The folder from the newest of SHGetFolderPathA,
  // SHGetSpecialFolderPathA and SHGetSpecialFolderLocation that the system's shell has: the
  // program loads on Windows 95 and NT 4, whose shell has only the last.
  [[nodiscard]] std::optional<std::string> ProgramsFolder(ProgramsScope scope) override;
  // The token holds the Administrators group enabled: not for deny only, as User Account
  // Control leaves it before elevation. DOS-based Windows, without tokens: true.
  [[nodiscard]] bool RunsAsAdministrator() override;
  // IShellLinkA and IPersistFile of the shell's ShellLink object.
  bool CreateShellLink(const std::string& linkPath, const std::string& target,
                       const std::string& workingFolder) override;

  bool RegisterUninstaller(const UninstallEntry& entry) override;
  bool UnregisterUninstaller() override;

  [[nodiscard]] std::optional<WindowRef> FindTopWindow(const std::string& className,
                                                       const std::string& title) override;
  void SendClose(WindowRef window) override;

  [[nodiscard]] std::uint16_t SystemDefaultLangId() override;
  // Only DOS-based Windows (95, 98, Me): no process there has ntdll.dll, which every process
  // of NT-family Windows has, whatever version a compatibility mode reports.
  [[nodiscard]] bool DosBasedWindows() override;
  // Through UTF-16 into the OEM code page and back: a character that comes back as another
  // (a best fit, the default character) has no place there.
  [[nodiscard]] std::optional<std::string> BatchBytes(std::string_view ansi) override;
  // The interpreter named by COMSPEC (else cmd.exe of the system folder) with "/c" and the
  // batch, with no window, at idle priority: its waiting blocks retry in a loop until the
  // uninstaller has ended.
  bool StartBatch(const std::string& batchName, const std::string& workingFolder) override;
  [[nodiscard]] std::optional<std::string> WindowsDirectory() override;
  [[nodiscard]] std::optional<std::string> SystemDirectory() override;
  [[nodiscard]] std::string ShortPathName(const std::string& path) override;
  [[nodiscard]] std::string LongPathName(const std::string& path) override;

  [[nodiscard]] bool AnotherInstanceRunning() override;

 private:
  SystemCalls calls_;
  std::vector<std::string> mutexNames_;
  win32::UniqueHandle instanceMutex_;
  std::optional<bool> anotherInstance_;
};

}  // namespace tunovar::win32
