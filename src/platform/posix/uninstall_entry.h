// The uninstall entry of the product on Linux: a small file in this program's data folder.
//
// ${XDG_DATA_HOME:-~/.local/share}/tunovar-setup/uninstall.entry, UTF-8, one key a line:
//   [Uninstall]
//   DisplayName=<the product's name>
//   UninstallString=<host path of the installed uninstaller>
//   QuietUninstallString=<that path, quoted for a POSIX shell when it must be> /S
//   DisplayVersion=<the product's version>
//   EstimatedSize=<the installed size in KB, decimal>
#pragma once

#include <cstdint>
#include <string>

namespace tunovar::posix {

[[nodiscard]] std::string UninstallEntryPath(const std::string& setupDataFolder);
// displayName, uninstallerHost and displayVersion are UTF-8.
[[nodiscard]] bool WriteUninstallEntry(const std::string& setupDataFolder, const std::string& displayName,
                                       const std::string& uninstallerHost, const std::string& displayVersion,
                                       std::uint32_t estimatedSizeKb);
// True when the entry existed and is gone.
[[nodiscard]] bool RemoveUninstallEntry(const std::string& setupDataFolder);
// A word for a POSIX shell: as it is when it needs no quotes, else in single quotes.
[[nodiscard]] std::string ShellWord(const std::string& text);

}  // namespace tunovar::posix
