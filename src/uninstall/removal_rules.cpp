// What the uninstaller may remove, as pure rules.
#include "uninstall/removal_rules.h"

#include "base/ansi_text.h"
#include "base/windows_path.h"

namespace tunovar {
namespace {

// path names something below folder (folder ends in "\"); letter case ignored.
bool LiesBelow(std::string_view path, std::string_view folder) {
  if (folder.empty() || !StartsWithNoCase(path, folder)) return false;
  return path.substr(folder.size()).find_first_not_of('\\') != std::string_view::npos;
}

}  // namespace

RuntimeFolders FoldersOfRuntime(std::string_view appPath) {
  RuntimeFolders folders;
  // A folder too short to be a runtime folder gives no InstallDir; nothing is built on it.
  folders.installDir = DropRight(appPath, 9).value_or(std::string());
  folders.parent = DropRight(appPath, 8).value_or(std::string());
  folders.target = FolderOfPath(folders.installDir);
  if (IsRootFolder(folders.target)) folders.target.clear();
  return folders;
}

InstallationBounds BoundsOfInstallation(const std::string& target, std::string_view shortForm,
                                        std::string_view longForm) {
  InstallationBounds bounds;
  if (target.empty()) return bounds;
  bounds.targetForms.push_back(target);
  for (const std::string_view form : {shortForm, longForm}) {
    if (!form.empty()) bounds.targetForms.push_back(WithTrailingBackslash(form));
  }
  return bounds;
}

bool LiesInside(const InstallationBounds& bounds, std::string_view path, std::string_view longForm) {
  // A device is no file of the installation, wherever its name stands.
  if (HasDotsComponent(path) || HasDeviceComponent(path)) return false;
  for (const std::string& target : bounds.targetForms) {
    if (LiesBelow(path, target) || (!longForm.empty() && LiesBelow(longForm, target))) return true;
  }
  return false;
}

bool LiesReallyInside(const InstallationBounds& bounds, std::string_view path,
                      std::string_view realLocation) {
  if (HasDotsComponent(realLocation)) return false;
  return EqualsNoCase(realLocation, path) || LiesBelow(realLocation, bounds.realTarget);
}

bool NamesRunningProgram(std::string_view path, std::string_view appPath, std::string_view baseName) {
  if (baseName.empty() || path.size() <= appPath.size() || !StartsWithNoCase(path, appPath)) return false;
  const std::string_view name = path.substr(appPath.size());
  if (HoldsPathSeparator(name)) return false;
  const std::string_view stem = name.substr(0, name.rfind('.'));
  return EqualsNoCase(stem, baseName);
}

EntryStep StepOfEntry(const RemovalEntry& entry, bool inside) {
  if (!inside) return EntryStep::kPassOver;
  if (entry.folder) return EntryStep::kRemoveFolder;
  // The batch and its program information file must survive until the batch runs.
  // Both names begin so: a path without it names neither, and is passed by one search.
  if (ContainsNoCase(entry.path, "deinst.") &&
      (NamesBatchFile(entry.path, "deinst.pif") || NamesBatchFile(entry.path, "deinst.bat"))) {
    return EntryStep::kKeepForBatch;
  }
  return EntryStep::kDeleteFile;
}

}  // namespace tunovar
