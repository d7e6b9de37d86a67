// The program group as shell links in the Start Menu's Programs folder.
#include "install/link_group.h"

#include "base/ansi_text.h"
#include "base/code_page.h"
#include "base/windows_path.h"
#include "installer/installer.h"

namespace tunovar {

std::optional<std::string> LinkFileTitle(std::string_view title) {
  std::string out(title);
  const CodePage& cp = ActiveCodePage();
  for (std::size_t i = 0; i < out.size(); i += cp.CharLength(out, i)) {
    char& c = out[i];
    if (cp.CharLength(out, i) == 1 && (ForbiddenInName(c) || c == '\\' || c == '/')) c = '_';
  }
  out = TrimRight(out, ". ");
  if (out.empty()) return std::nullopt;
  return out;
}

std::string ItemTitle(const std::string& name, const std::string& command) {
  if (!name.empty()) return name;
  const std::vector<std::string_view> names = PathComponents(command);
  const std::string file = TrimRight(names.empty() ? std::string_view() : names.back());
  return file.substr(0, file.rfind('.'));
}

std::string ItemWorkingFolder(const std::string& command) {
  const std::string folder = FolderOfPath(command);
  return IsRootFolder(folder) ? folder : WithoutTrailingBackslash(folder);
}

namespace {

// The group's folder in the Programs folder of scope, ending in "\"; nullopt where the system
// has no such Programs folder.
std::optional<std::string> GroupFolder(Installer& in, ProgramsScope scope, const std::string& groupTitle) {
  const std::optional<std::string> programs = in.platform().shell.ProgramsFolder(scope);
  if (!programs || programs->empty()) return std::nullopt;
  return WithTrailingBackslash(*programs) + groupTitle + "\\";
}

// Where the group is made: the machine's Programs folder with administrator rights, the
// user's otherwise or when the machine's takes no folder.
std::optional<std::string> MakeGroupFolder(Installer& in, const std::string& groupTitle) {
  FileSystem& fs = in.platform().fs;
  std::vector<ProgramsScope> scopes;
  if (in.platform().shell.RunsAsAdministrator()) scopes.push_back(ProgramsScope::kMachine);
  scopes.push_back(ProgramsScope::kUser);
  for (const ProgramsScope scope : scopes) {
    const std::optional<std::string> folder = GroupFolder(in, scope, groupTitle);
    if (!folder) continue;
    const FsStatus made = fs.CreateFolder(*folder);
    if (made == FsStatus::kOk || (made == FsStatus::kExists && fs.FolderExists(*folder))) return folder;
    in.Log("The group's folder " + *folder + " could not be made: " + Describe(made));
  }
  return std::nullopt;
}

}  // namespace

void CreateLinkGroup(Installer& in, const std::vector<GroupLink>& items) {
  const std::optional<std::string> groupTitle = LinkFileTitle(in.group.GroupName);
  if (!groupTitle) {
    in.Log("The program group's name \"" + in.group.GroupName + "\" names no folder: no links are made");
    return;
  }
  const std::optional<std::string> folder = MakeGroupFolder(in, *groupTitle);
  if (!folder) {
    in.Log("No Programs folder takes the program group: no links are made");
    return;
  }
  in.Log("The program group is made as shell links in " + *folder);
  for (const GroupLink& item : items) {
    const std::optional<std::string> title = LinkFileTitle(ItemTitle(item.name, item.command));
    if (!title) {
      in.Log("The item \"" + item.name + "\" names no link file: it is not made");
      continue;
    }
    const std::string path = *folder + *title + ".lnk";
    const bool made = in.platform().shell.CreateShellLink(path, item.command, ItemWorkingFolder(item.command));
    in.Log("Link " + path + " to " + item.command + (made ? "" : ": could not be written"));
    in.DoEvents();
  }
}

void DeleteLinkGroup(Installer& in, const std::vector<GroupLink>& items) {
  const std::optional<std::string> groupTitle = LinkFileTitle(in.group.GroupName);
  if (!groupTitle) return;
  FileSystem& fs = in.platform().fs;
  for (const ProgramsScope scope : {ProgramsScope::kMachine, ProgramsScope::kUser}) {
    const std::optional<std::string> folder = GroupFolder(in, scope, *groupTitle);
    if (!folder || !fs.FolderExists(*folder)) continue;
    for (const GroupLink& item : items) {
      const std::optional<std::string> title = LinkFileTitle(ItemTitle(item.name, item.command));
      if (!title) continue;
      const std::string path = *folder + *title + ".lnk";
      if (!fs.EntryExists(path)) continue;
      const FsStatus removed = fs.DeleteFile(path);
      in.Log("Link " + path + (removed == FsStatus::kOk ? " removed" : " stays: " + std::string(Describe(removed))));
    }
    const FsStatus removed = fs.RemoveFolder(*folder);
    in.Log("The group's folder " + *folder +
           (removed == FsStatus::kOk ? " removed" : " stays: " + std::string(Describe(removed))));
  }
}

}  // namespace tunovar
