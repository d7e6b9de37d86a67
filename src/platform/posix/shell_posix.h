// The shell and the system around the installer on Linux.
//
// "open": a ".pif" that exists runs the ".bat" of the same name beside it, and a ".bat" runs
// itself, with the built-in batch interpreter, detached (the uninstaller's batch is the only
// one opened); a name without a folder is found in the working folder; a missing file opens
// nothing (2, file not found); a Windows program (".exe", ".com") is noted and passed over;
// any other document goes to
// xdg-open where it is installed. Program Manager's commands become XDG menu entries
// (xdg_menu.h), which always answer, so no group is ever made as shell links: there is no
// Start Menu Programs folder and no link is written; the uninstall entry is a small file (uninstall_entry.h). There are no top-level
// windows. The single-instance lock is a lock on the host folder of C:\WINDOWS, which every run
// of the same drive map sees (a file in $XDG_RUNTIME_DIR, else the temporary folder, without it).
//
// Shell members on Linux:
//   real      SystemDefaultLangId (from the locale), WindowsDirectory SystemDirectory ShortPathName
//             LongPathName (on the mapped drive C:), AnotherInstanceRunning
//   stand-in  Open StartBatch (the built-in batch interpreter, detached; xdg-open for documents),
//             DdeExecute (XDG menu entries), RegisterUninstaller UnregisterUninstaller (a small
//             file), DosBasedWindows (true: the built-in interpreter), BatchBytes (unchanged)
//   no-op     ProgramsFolder (none), CreateShellLink (false), RunsAsAdministrator (false),
//             FindTopWindow (none), SendClose
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/posix/file_system_posix.h"
#include "platform/posix/xdg_menu.h"
#include "platform/shell.h"
#include "platform/posix/unique_fd.h"

namespace tunovar::posix {

// GetSystemDefaultLangID of a locale name ("de_CH.UTF-8" -> 0x0807); 0x0409 for C, POSIX,
// "" and languages the table does not know.
[[nodiscard]] std::uint16_t LangIdOfLocale(std::string_view locale);
// The locale of LC_ALL, LC_MESSAGES or LANG, the first that is set and not empty.
[[nodiscard]] std::string MessagesLocale();

class PosixShell : public Shell {
 public:
  // log, when given, is told of every open that is passed over.
  explicit PosixShell(PosixFileSystem& fs, Console* log = nullptr);
  ~PosixShell() override;
  PosixShell(const PosixShell&) = delete;
  PosixShell& operator=(const PosixShell&) = delete;

  int Open(const std::string& file, const std::string& parameters, const std::string& workingFolder,
           ShowMode show) override;
  DdeStatus DdeExecute(const std::string& service, const std::string& topic, const std::string& command,
                       int connectMs, int timeoutMs) override;
  std::optional<std::string> ProgramsFolder(ProgramsScope) override { return std::nullopt; }
  bool RunsAsAdministrator() override { return false; }
  bool CreateShellLink(const std::string&, const std::string&, const std::string&) override { return false; }
  bool RegisterUninstaller(const UninstallEntry& entry) override;
  bool UnregisterUninstaller() override;
  std::optional<WindowRef> FindTopWindow(const std::string& className, const std::string& title) override;
  void SendClose(WindowRef window) override;
  std::uint16_t SystemDefaultLangId() override;
  // The built-in interpreter stands in for DOS-based Windows' own: the program information
  // file runs it, and it runs a "|" chain in order.
  bool DosBasedWindows() override { return true; }
  // The built-in interpreter reads the uninstaller's own Windows-1252 bytes.
  std::optional<std::string> BatchBytes(std::string_view ansi) override { return std::string(ansi); }
  bool StartBatch(const std::string& batchName, const std::string& workingFolder) override;
  std::optional<std::string> WindowsDirectory() override;
  std::optional<std::string> SystemDirectory() override;
  std::string ShortPathName(const std::string& path) override;
  std::string LongPathName(const std::string& path) override;
  bool AnotherInstanceRunning() override;

  // Opens that were passed over, as "program <file>" or "document <file>", in order.
  [[nodiscard]] const std::vector<std::string>& PassedOver() const { return passedOver_; }
  // What the single-instance lock locks: the host folder of C:\WINDOWS (a file of this
  // user's runtime folder where there is none).
  [[nodiscard]] std::string InstanceLockPath();
  [[nodiscard]] XdgMenu& Menu() { return menu_; }

 private:
  void PassOver(const std::string& kind, const std::string& file);

  PosixFileSystem& fs_;
  Console* log_;
  std::string setupDataFolder_;
  XdgMenu menu_;
  std::vector<std::string> passedOver_;
  UniqueFd lock_;  // the single-instance lock, held to the end of the run
};

}  // namespace tunovar::posix
