// The program group as shell links, for a shell whose Program Manager does not answer: the
// group's items as links in a folder of the group's name in the Start Menu's Programs folder,
// and their removal by the uninstallation.
//
//   <Programs>\                   the machine's when the run has administrator rights, else the
//     Ovri TUNOVAR\               user's; the uninstallation looks in both
//       TUNOVAR.lnk               one link an item: the item's title, the command it would
//       Read me.lnk               have been given over DDE as its target, and the folder of
//       Introduction - CD.lnk     that file as its working folder
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunovar {

class Installer;

// One item of the group: its title and the command line Program Manager is given for it.
struct GroupLink {
  std::string name;
  std::string command;
};

// A group or item title as the name of its folder or link file, as the shell's Program Manager
// makes it: a character that no file name can hold ("\" and "/" among them) becomes "_", and
// trailing dots and blanks, which Windows drops, go. nullopt for a title that names no file
// ("", ".", "..", only dots and blanks).
[[nodiscard]] std::optional<std::string> LinkFileTitle(std::string_view title);

// The title of an item: its name, or for an item without a name the file name of its command
// without the extension, as Program Manager names such an item.
[[nodiscard]] std::string ItemTitle(const std::string& name, const std::string& command);

// The folder an item starts in: the folder of its command's file, where Program Manager starts
// an item that names no working folder ("C:\Apps\x.exe" gives "C:\Apps", "D:\x.exe" "D:\");
// "" for a command that names no folder.
[[nodiscard]] std::string ItemWorkingFolder(const std::string& command);

// Makes the group's folder and one link an item. Nothing is reported to the user: as with
// Program Manager, the installation goes on whatever becomes of its group.
void CreateLinkGroup(Installer& in, const std::vector<GroupLink>& items);

// Removes the links of these items from the group's folder in the machine's and the user's
// Programs folder, then each of these folders that is left empty: other files there (links
// the user put in) stay, and so does the folder that holds them.
void DeleteLinkGroup(Installer& in, const std::vector<GroupLink>& items);

}  // namespace tunovar
