// The Program Manager group: reading "group", creating and deleting the group over DDE.
#include "uninstall/program_group.h"

#include <vector>

#include "base/ansi_text.h"
#include "startup/installer.h"

namespace tunovar {

std::string CreateGroupCommand(const std::string& groupName, const std::string& winDir,
                               const std::string& groupFileName) {
  return "[CreateGroup(" + groupName + "," + winDir + groupFileName + ".GRP)]";
}

std::string ShowGroupCommand(const std::string& groupName) {
  return "[ShowGroup(" + groupName + ",1)]";
}

std::string ReplaceItemCommand(const std::string& itemName) {
  return "[ReplaceItem(" + itemName + ")]";
}

std::string AddItemCommand(const std::string& commandLine, const std::string& itemName) {
  return "[AddItem(" + commandLine + ", " + itemName + ",,,)]";
}

std::string DeleteGroupCommand(const std::string& groupName) {
  return "[DeleteGroup(" + groupName + ")]";
}

std::optional<std::string> ResolveOnCdCommand(const std::string& command, const std::string& cdRoot) {
  const std::size_t at = FindNoCase(command, kOnCdMarker);
  if (at == std::string::npos) return std::nullopt;
  return cdRoot + Trim(std::string_view(command).substr(at + kOnCdMarker.size()));
}

namespace {

const char* Describe(DdeStatus status) {
  switch (status) {
    case DdeStatus::kDone: return "done";
    case DdeStatus::kRefused: return "no conversation";
    case DdeStatus::kNotProcessed: return "not processed";
    case DdeStatus::kTimedOut: return "timed out";
  }
  return "failed";
}

}  // namespace

void Installer::ReadGroupFile(const std::string& path, std::int32_t& result) {
  const std::optional<std::string> bytes = platform_.fs.ReadWholeFile(path);
  const std::vector<std::string> lines = bytes ? SplitLines(*bytes) : std::vector<std::string>{};
  std::size_t next = 0;
  auto readLine = [&]() -> std::optional<std::string> {
    if (next >= lines.size()) return std::nullopt;
    return lines[next++];
  };

  // The head: what cannot be read keeps its previous value, and is not an error.
  if (const auto line = readLine()) {
    if (const auto count = ParseWholeNumber(*line)) GroupItemCount = *count;
  }
  // Rows 0 to GroupItemCount, columns 0 to LanguageCount. A count that the file cannot hold
  // (more items than it has lines) is not sized: the reading below fails on it anyway.
  if (GroupItemCount >= 0 && LanguageCount >= 0 && LanguageCount <= kSections &&
      static_cast<std::size_t>(GroupItemCount) <= lines.size()) {
    GroupItems.assign(static_cast<std::size_t>(GroupItemCount) + 1,
                      std::vector<GroupItem>(static_cast<std::size_t>(LanguageCount) + 1));
  }
  if (const auto line = readLine()) GroupFileName = *line;
  if (const auto line = readLine()) GroupName = *line;

  // The items: every one announced must be there.
  result = 0;
  for (std::int32_t j = 0; j < LanguageCount && result == 0; ++j) {
    for (std::int32_t i = 0; i < GroupItemCount; ++i) {
      std::optional<std::string> name = readLine();
      if (name && ContainsNoCase(*name, "###")) name = readLine();
      const std::optional<std::string> command = readLine();
      const auto row = static_cast<std::size_t>(i);
      const auto column = static_cast<std::size_t>(j);
      if (!name || !command || row >= GroupItems.size() || column >= GroupItems[row].size()) {
        result = 1;
        break;
      }
      GroupItems[row][column] = GroupItem{*name, *command};
    }
  }
  Log("Group file " + path + (result == 0 ? " read" : " corrupted") + ": " +
      DecimalText(GroupItemCount) + " items per language");
}

void Installer::CreateProgramGroup(const std::string& installFolder) {
  std::int32_t result = 0;
  ReadGroupFile(AppPath + "group", result);
  ErrorCode = result;
  if (ErrorCode != 0) ShowFatalError(ErrorCode, "group");

  DDECommand = CreateGroupCommand(GroupName, WinDir, GroupFileName);
  PerformDDE();
  DDECommand = ShowGroupCommand(GroupName);
  PerformDDE();

  const std::optional<std::string> cdRoot = DropRight(AppPath, kRuntimeFolderLength);
  std::string name;
  std::string command;
  for (std::int32_t i = 0; i < GroupItemCount; ++i) {
    const auto row = static_cast<std::size_t>(i);
    // A count the table was not sized to (announced for no language section at all) names
    // no items: sending one pair per announced item could mean millions of conversations.
    if (row >= GroupItems.size()) break;
    const auto column = static_cast<std::size_t>(LangIndex);
    // An item outside the table (a language without a column) leaves name and command as
    // they were.
    GroupItem* item = nullptr;
    if (LangIndex >= 0 && column < GroupItems[row].size()) {
      item = &GroupItems[row][column];
      name = item->ItemName;
      command = item->ItemCommand;
    }
    const bool onCd = ContainsNoCase(command, kOnCdMarker);
    if (onCd && cdRoot) {
      command = *ResolveOnCdCommand(command, *cdRoot);
      if (item != nullptr) item->ItemCommand = command;
    }
    DDECommand = ReplaceItemCommand(name);
    PerformDDE();
    DDECommand = AddItemCommand(onCd ? command : installFolder + command, name);
    PerformDDE();
  }
}

void Installer::DeleteProgramGroup() {
  std::int32_t result = 0;
  ReadGroupFile(AppPath + "group", result);
  ErrorCode = result;
  if (ErrorCode != 0) ShowFatalError(ErrorCode, "group");
  DDECommand = DeleteGroupCommand(GroupName);
  PerformDDE();
}

void Installer::PerformDDE() {
  // The conversation with "ProgMan" on "Progman" is opened, the command executed with a
  // limit of 6 seconds, and the conversation closed again: one conversation per command.
  for (int k = 0; k < 8; ++k) DoEvents();
  const DdeStatus status = platform_.shell.DdeExecute("ProgMan", "Progman", DDECommand, 6000);
  DoEvents();
  Log("DDE " + DDECommand + ": " + Describe(status));
  DoEvents();
}

}  // namespace tunovar
