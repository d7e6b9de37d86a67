// The uninstall entry of the product on Linux.
#include "platform/posix/uninstall_entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/host_files.h"

namespace tunovar::posix {

std::string UninstallEntryPath(const std::string& setupDataFolder) {
  return setupDataFolder + "/uninstall.entry";
}

std::string ShellWord(const std::string& text) {
  bool plain = !text.empty();
  for (char c : text) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '/' || c == '.' || c == '_' || c == '-' || c == '+' || c == ',' || c == ':' ||
                      c == '@' || c == '%' || c == '=';
    plain = plain && safe;
  }
  if (plain) return text;
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

bool WriteUninstallEntry(const std::string& setupDataFolder, const std::string& displayName,
                         const std::string& uninstallerHost, const std::string& displayVersion,
                         std::uint32_t estimatedSizeKb) {
  // A line end inside a value would start a key of its own.
  for (const std::string* value : {&displayName, &uninstallerHost, &displayVersion}) {
    if (value->find_first_of("\r\n") != std::string::npos) return false;
  }
  const std::string text = "[Uninstall]\nDisplayName=" + displayName + "\nUninstallString=" + uninstallerHost +
                           "\nQuietUninstallString=" + ShellWord(uninstallerHost) + " /S\nDisplayVersion=" +
                           displayVersion + "\nEstimatedSize=" + std::to_string(estimatedSizeKb) + "\n";
  return WriteHostFile(UninstallEntryPath(setupDataFolder), text);
}

bool RemoveUninstallEntry(const std::string& setupDataFolder) {
  return unlink(UninstallEntryPath(setupDataFolder).c_str()) == 0;
}

}  // namespace tunovar::posix
