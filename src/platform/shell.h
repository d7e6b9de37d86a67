// The shell and the system around the installer: opening files, DDE to Program Manager, shell
// links in the Start Menu, the uninstall entry, top-level windows, the system folders and path
// forms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tunovar {

// Show states of ShellExecuteA.
enum class ShowMode { kHidden = 0, kNormal = 1 };

// Outcome of one DDE execute.
enum class DdeStatus {
  kDone,              // the server carried the command out
  kRefused,           // no server took up the conversation: the command was not sent
  kNotProcessed,      // the server answered that it did not carry the command out
  kTimedOut,          // the command was sent and not answered within its time limit
  kConnectTimedOut,   // no conversation within its time limit (a window held the request up);
                      // the command was not sent
};

// The Start Menu's Programs folder of every user of the machine, or of this user alone.
enum class ProgramsScope { kMachine, kUser };

// The product's entry in the system's list of installed programs.
struct UninstallEntry {
  std::string uninstallerPath;  // the installed uninstaller, a Windows path
  std::string displayName;      // the name listed
  std::string displayVersion;   // the product's version, as listed beside it
  std::uint32_t estimatedSizeKb = 0;  // the installed size in KB, as listed beside it
};

// A top-level window found by class name and title.
using WindowRef = std::uintptr_t;

class Shell {
 public:
  virtual ~Shell() = default;

  // ShellExecuteA with the verb "open" and no owner window. Returns its result: greater than
  // 32 when the file was opened, otherwise the system's error (2 = file not found).
  virtual int Open(const std::string& file, const std::string& parameters,
                   const std::string& workingFolder, ShowMode show) = 0;

  // Starts the system's command interpreter on the batch file batchName (a name in
  // workingFolder, which becomes its current folder) without a window and without waiting for
  // it; true when the interpreter was started.
  virtual bool StartBatch(const std::string& batchName, const std::string& workingFolder) = 0;

  // One DDE execute over a conversation of its own: connect to service/topic, execute the
  // command string, disconnect. The conversation must be set up within connectMs and the
  // command answered within timeoutMs; no window of another program can stretch either limit.
  virtual DdeStatus DdeExecute(const std::string& service, const std::string& topic,
                               const std::string& command, int connectMs, int timeoutMs) = 0;

  // The Start Menu's Programs folder of the scope as the system names it; nullopt where the
  // system has none (Windows 95 without user profiles has no machine's folder, Linux none).
  [[nodiscard]] virtual std::optional<std::string> ProgramsFolder(ProgramsScope scope) = 0;
  // True when this process runs with administrator rights in effect (elevated where the
  // system tells the two apart): then a program group belongs to every user of the machine.
  [[nodiscard]] virtual bool RunsAsAdministrator() = 0;
  // Writes the shell link linkPath (a ".lnk" file in an existing folder, replaced when there)
  // that starts target (a file, without arguments) in workingFolder ("" for none); true when
  // the link was written.
  virtual bool CreateShellLink(const std::string& linkPath, const std::string& target,
                               const std::string& workingFolder) = 0;

  // The system's uninstall entry of the product (the ARegUnIn and ARegDelete stand-ins).
  virtual bool RegisterUninstaller(const UninstallEntry& entry) = 0;
  virtual bool UnregisterUninstaller() = 0;

  // FindWindowA with both strings as given; nullopt when no window is found.
  [[nodiscard]] virtual std::optional<WindowRef> FindTopWindow(const std::string& className,
                                                               const std::string& title) = 0;
  // SendMessageA(window, WM_CLOSE, 0, 0): returns when the window has handled it.
  virtual void SendClose(WindowRef window) = 0;

  // GetSystemDefaultLangID.
  [[nodiscard]] virtual std::uint16_t SystemDefaultLangId() = 0;
  // True on DOS-based Windows (95, 98, Me): there a batch is run without a window through its
  // program information file, and the interpreter runs the commands of a "|" chain one after
  // the other in one current folder. False on NT-family Windows, where a PIF would need a DOS
  // machine (missing from 64-bit Windows, a feature to install on later 32-bit ones) and each
  // side of a pipe runs in an interpreter of its own at the same time. Told by what the
  // system is, never by the version it reports: a compatibility mode reports an older one.
  [[nodiscard]] virtual bool DosBasedWindows() = 0;
  // The ANSI text as the bytes of the code page that the batch interpreter reads a batch file
  // in (the OEM code page on Windows); nullopt when a character of it has no place there, so
  // that a batch line would name another file.
  [[nodiscard]] virtual std::optional<std::string> BatchBytes(std::string_view ansi) = 0;
  // GetWindowsDirectoryA / GetSystemDirectoryA: the text the call wrote, nullopt when it
  // returned less than 1.
  [[nodiscard]] virtual std::optional<std::string> WindowsDirectory() = 0;
  [[nodiscard]] virtual std::optional<std::string> SystemDirectory() = 0;
  // GetShortPathNameA / GetLongPathNameA with a capacity of 1000 characters: the text the
  // call wrote, "" when it wrote nothing (a missing path, no such conversion).
  [[nodiscard]] virtual std::string ShortPathName(const std::string& path) = 0;
  [[nodiscard]] virtual std::string LongPathName(const std::string& path) = 0;

  // Claims the single-instance lock for this run; true when another instance holds it.
  [[nodiscard]] virtual bool AnotherInstanceRunning() = 0;
};

}  // namespace tunovar
