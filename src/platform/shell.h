// The shell and the system around the installer: opening files, DDE to Program Manager,
// the uninstall entry, top-level windows, the system folders and path forms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tunovar {

// Show states of ShellExecuteA.
enum class ShowMode { kHidden = 0, kNormal = 1 };

// Outcome of one DDE execute.
enum class DdeStatus { kDone, kRefused, kNotProcessed, kTimedOut };

// A top-level window found by class name and title.
using WindowRef = std::uintptr_t;

class Shell {
 public:
  virtual ~Shell() = default;

  // ShellExecuteA with the verb "open" and no owner window. Returns its result: greater than
  // 32 when the file was opened, otherwise the system's error (2 = file not found).
  virtual int Open(const std::string& file, const std::string& parameters,
                   const std::string& workingFolder, ShowMode show) = 0;

  // One DDE execute over a conversation of its own: connect to service/topic, execute the
  // command string with a time limit, disconnect.
  virtual DdeStatus DdeExecute(const std::string& service, const std::string& topic,
                               const std::string& command, int timeoutMs) = 0;

  // The system's uninstall entry of the product (the ARegUnIn and ARegDelete stand-ins).
  virtual bool RegisterUninstaller(const std::string& uninstallerPath,
                                   const std::string& displayName) = 0;
  virtual bool UnregisterUninstaller() = 0;

  // FindWindowA with both strings as given; nullopt when no window is found.
  [[nodiscard]] virtual std::optional<WindowRef> FindTopWindow(const std::string& className,
                                                               const std::string& title) = 0;
  // SendMessageA(window, WM_CLOSE, 0, 0): returns when the window has handled it.
  virtual void SendClose(WindowRef window) = 0;

  // GetSystemDefaultLangID.
  [[nodiscard]] virtual std::uint16_t SystemDefaultLangId() = 0;
  // True when the interpreter that runs a batch runs the commands of a "|" chain one after
  // the other in one current folder (DOS-based Windows); false where each side of a pipe
  // runs in an interpreter of its own at the same time (NT-family Windows).
  [[nodiscard]] virtual bool BatchPipesRunInOrder() = 0;
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
