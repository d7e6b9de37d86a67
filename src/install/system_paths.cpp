// System folders, path forms and the window test.
#include "base/ansi_text.h"
#include "base/windows_path.h"
#include "installer/installer.h"

namespace tunovar {
namespace {

// The text a system call wrote into a blank-filled buffer: cut before the first NUL, blanks
// removed at the end.
std::string FolderFromBuffer(const std::string& written) {
  std::string s = written.substr(0, written.find('\0'));
  s = TrimRight(s);
  if (!EndsInBackslash(s)) s += '\\';
  return UCase(s);
}

std::string PathFromBuffer(const std::string& written) {
  std::string s = Trim(written);
  return s.substr(0, s.find('\0'));
}

}  // namespace

void Installer::GetWindowsDir() {
  const auto written = platform_.shell.WindowsDirectory();
  folders.WinDir = written ? FolderFromBuffer(*written) : "c:\\windows\\";
}

void Installer::GetSysDir() {
  if (!folders.SysDir.empty()) return;
  const auto written = platform_.shell.SystemDirectory();
  folders.SysDir = written ? FolderFromBuffer(*written) : "c:\\windows\\system\\";
  folders.SysDirCopy = folders.SysDir;
}

bool Installer::WindowExists(const std::string& className, const std::string& title) {
  return platform_.shell.FindTopWindow(className, title).has_value();
}

std::string Installer::GetShortPath(const std::string& path) {
  return PathFromBuffer(platform_.shell.ShortPathName(path));
}

std::string Installer::GetLongPath(const std::string& path) {
  return PathFromBuffer(platform_.shell.LongPathName(path));
}

}  // namespace tunovar
