// What the uninstaller may remove, as pure rules: the folders seen from its runtime folder,
// the bounds of the installation with the test whether a path lies inside, and the step each
// entry of the removal list takes.
//
// Folders, seen from the runtime folder AppPath (C:\Apps\TUNOVAR\TUNOVAR\runtime\):
//   InstallDir  AppPath less "\runtime\"        C:\Apps\TUNOVAR\TUNOVAR
//   parent      AppPath less "runtime\"         C:\Apps\TUNOVAR\TUNOVAR\   (the batch chain)
//   target      InstallDir less its last name   C:\Apps\TUNOVAR\           (the folder chosen
//               when installing; no entry of "defile" outside it is ever acted on)
//
// An entry lies inside when, letter case ignored, it or its long form (when it exists)
// begins with the target, or with the target's short or long form, and names something
// below it: the path typed when installing may have been short or long, and "defile" keeps
// it as typed. A component made of dots only ("..", ".", "...", ".. "; "/" separates
// components as "\" does) makes no entry inside, and the target itself is not inside (the
// last batch line removes it when it is empty). The installation never puts the product
// less than two folders below a drive root, so a target at a root ("X:\", "\") comes from a
// runtime folder moved by hand: with it, no entry counts as inside, or a tampered list could
// name anything on the drive.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/removal_list.h"

namespace tunovar {

struct RuntimeFolders {
  std::string installDir;  // "" when AppPath is too short to be a runtime folder
  std::string parent;      // "" likewise
  std::string target;      // "" when there is none, or it is a drive's root
};

[[nodiscard]] RuntimeFolders FoldersOfRuntime(std::string_view appPath);

// The forms of the target folder an entry may start with: as found from AppPath, and its
// short and long forms ("" when the system gave none). None when there is no target.
struct InstallationBounds {
  std::vector<std::string> targetForms;  // each ends in "\"
  // Where the target really lies, links and reparse points resolved (FileSystem::RealLocation),
  // ending in "\"; "" when it could not be resolved, and then nothing lies really inside.
  std::string realTarget;
};

[[nodiscard]] InstallationBounds BoundsOfInstallation(const std::string& target,
                                                      std::string_view shortForm,
                                                      std::string_view longForm);

// The path, or its long form ("" when it has none), lies inside the installation.
[[nodiscard]] bool LiesInside(const InstallationBounds& bounds, std::string_view path,
                              std::string_view longForm);

// An entry (without a final "\") lies where it is written, or its real location
// (FileSystem::RealLocation) lies below the real target: a link or junction inside the
// installation that leads elsewhere takes nothing with it.
[[nodiscard]] bool LiesReallyInside(const InstallationBounds& bounds, std::string_view path,
                                    std::string_view realLocation);

// The entry names the running uninstaller: a file of appPath whose name, without its
// extension, is baseName (the Windows build runs as "deinstal.exe", the Linux one as
// "deinstal").
[[nodiscard]] bool NamesRunningProgram(std::string_view path, std::string_view appPath,
                                       std::string_view baseName);

// The step an entry takes.
enum class EntryStep {
  kPassOver,      // outside the installation: logged, never touched
  kRemoveFolder,  // a "#" entry: the folder is removed, or left to the batch
  kKeepForBatch,  // the batch's own file and program information file stay for it to run
  kDeleteFile,    // deleted, or left to the batch when it stays
};

[[nodiscard]] EntryStep StepOfEntry(const RemovalEntry& entry, bool inside);

}  // namespace tunovar
