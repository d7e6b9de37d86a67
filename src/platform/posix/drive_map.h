// Drive letters mapped to host folders.
//
// TUNOVAR_DRIVES="C=/some/dir;D=/media/cd" names the drives; without it C: is
// ${XDG_DATA_HOME:-$HOME/.local/share}/tunovar-setup/drive_c. Z: is "/" unless the variable
// names Z itself, so the program can always name any host folder (its own among them).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tunovar::posix {

// A host path with every symbolic link resolved; nullopt when it does not exist.
[[nodiscard]] std::optional<std::string> RealPath(const std::string& hostPath);

class DriveMap {
 public:
  DriveMap() = default;
  // From TUNOVAR_DRIVES, or the default; relative folders are taken from the current folder.
  [[nodiscard]] static DriveMap FromEnvironment();
  // "C=/dir;D=/media/cd": entries that are not a letter, "=" and a folder are passed over.
  [[nodiscard]] static DriveMap Parse(std::string_view mapping, const std::string& currentFolder);

  void Set(char letter, const std::string& hostFolder);
  // The host folder of a drive letter (either case), nullopt for a letter not mapped.
  [[nodiscard]] std::optional<std::string> Root(char letter) const;
  [[nodiscard]] const std::map<char, std::string>& Drives() const { return drives_; }

  // The Windows path of an absolute host path through the drive whose folder is its longest
  // prefix (a drive folder reached through a symbolic link counts by its real path too);
  // nullopt when no drive holds it or a name has no Windows-1252 spelling.
  [[nodiscard]] std::optional<std::string> ToWindows(std::string_view hostPath) const;

 private:
  std::map<char, std::string> drives_;  // upper-case letter -> host folder, no final "/"
};

}  // namespace tunovar::posix
