// Program Manager's command strings carried out as XDG menu entries.
//
// A group is a submenu of the applications menu; its items are desktop entries in it:
//   ${XDG_CONFIG_HOME:-~/.config}/menus/applications-merged/tunovar-<group>.menu
//       the submenu, taking every entry of the category X-tunovar-<group>
//   ${XDG_DATA_HOME:-~/.local/share}/desktop-directories/tunovar-<group>.directory
//       its title (the group's name)
//   ${XDG_DATA_HOME:-~/.local/share}/applications/tunovar-<group>-<item>.desktop
//       one item: its name, and as Exec the host path of its command (a document, "xdg-open"
//       and its path)
// <group> and <item> are the names in lower-case ASCII letters and digits with "-" for the
// rest ("Ovri TUNOVAR" -> ovri-tunovar); names that come out alike get "-2", "-3", ... The
// exact names are kept in the keys X-Tunovar-Group and X-Tunovar-Item, which is how a group's
// files are found again, letter case ignored as Program Manager ignores it.
//
// Commands: [CreateGroup(name[,file])] makes the group (an existing one is kept) and makes it
// the current group; [ShowGroup(name,n)] makes an existing group current; [ReplaceItem(name)]
// removes that item of the current group; [AddItem(command, name,,,)] adds an item to the
// current group; [DeleteGroup(name)] removes the group and its items (an empty name removes
// nothing). Anything else is not processed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shell.h"

namespace tunovar::posix {

class PosixFileSystem;

class XdgMenu {
 public:
  XdgMenu(PosixFileSystem& fs, std::string dataHome, std::string configHome);

  // One command string, which may hold several bracketed commands; stops at the first that
  // fails.
  DdeStatus Execute(std::string_view commands);

  [[nodiscard]] std::string ApplicationsFolder() const { return dataHome_ + "/applications"; }
  [[nodiscard]] std::string DirectoriesFolder() const { return dataHome_ + "/desktop-directories"; }
  [[nodiscard]] std::string MenusFolder() const { return configHome_ + "/menus/applications-merged"; }

 private:
  DdeStatus CreateGroup(const std::string& name);
  DdeStatus ShowGroup(const std::string& name);
  DdeStatus AddItem(const std::string& command, const std::string& name);
  DdeStatus ReplaceItem(const std::string& name);
  DdeStatus DeleteGroup(const std::string& name);

  // The id ("tunovar-ovri-tunovar") of an existing group, by its name.
  [[nodiscard]] std::optional<std::string> FindGroup(const std::string& name) const;
  // The desktop files of a group's items (file names), by the group's name; only those of
  // the item itemName when it is given.
  [[nodiscard]] std::vector<std::string> FindItems(const std::string& group,
                                                   const std::string* itemName) const;

  PosixFileSystem& fs_;
  std::string dataHome_;
  std::string configHome_;
  std::string current_;  // name of the current group, "" before the first
};

// "Ovri TUNOVAR" -> "ovri-tunovar" (Windows-1252 name; "x" when nothing is left).
[[nodiscard]] std::string MenuSlug(std::string_view name);
// A host path as one argument of a desktop entry's Exec key, quoted and escaped.
[[nodiscard]] std::string DesktopExecArgument(std::string_view hostPath);

}  // namespace tunovar::posix
