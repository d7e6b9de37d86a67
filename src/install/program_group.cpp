// The Program Manager group: its command strings, and the group created and deleted over DDE,
// or made as shell links where Program Manager does not answer.
#include "install/program_group.h"

#include "base/ansi_text.h"
#include "install/link_group.h"
#include "installer/installer.h"

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

constexpr int kDdeConversationAttempts = 3;
constexpr std::uint32_t kDdeRetryPauseMs = 250;

const char* Describe(DdeStatus status) {
  switch (status) {
    case DdeStatus::kDone: return "done";
    case DdeStatus::kRefused: return "no conversation";
    case DdeStatus::kNotProcessed: return "not processed";
    case DdeStatus::kTimedOut: return "timed out";
    case DdeStatus::kConnectTimedOut: return "no conversation in time";
  }
  return "failed";
}

// Program Manager is taken for absent after an answer of this kind: it refused the
// conversation (after asking again), held the request up, or left a command unanswered. A
// server that answered once and stalled may stall again, each command then costing its limit.
bool Unanswered(DdeStatus status) {
  return status == DdeStatus::kRefused || status == DdeStatus::kConnectTimedOut ||
         status == DdeStatus::kTimedOut;
}

// The items of the language in use, in item order, each with the command line Program
// Manager is given for it. An on-CD item's command is replaced in the table by its path on the
// CD. An item outside the table (a language without a column) takes the name and command of
// the item before it.
std::vector<GroupLink> ItemsToAdd(Installer& in, const std::string& installFolder) {
  const std::optional<std::string> cdRoot = DropRight(in.folders.AppPath, kRuntimeFolderLength);
  ProgramGroup& group = in.group;
  std::vector<GroupLink> items;
  std::string name;
  std::string command;
  for (std::int32_t i = 0; i < group.GroupItemCount; ++i) {
    const auto row = static_cast<std::size_t>(i);
    // A count the table was not sized to (announced for no language section at all) names
    // no items: sending one pair per announced item could mean millions of conversations.
    if (row >= group.GroupItems.size()) break;
    const auto column = static_cast<std::size_t>(in.texts.LangIndex);
    GroupItem* item = nullptr;
    if (in.texts.LangIndex >= 0 && column < group.GroupItems[row].size()) {
      item = &group.GroupItems[row][column];
      name = item->ItemName;
      command = item->ItemCommand;
    }
    const bool onCd = ContainsNoCase(command, kOnCdMarker);
    if (onCd && cdRoot) {
      command = *ResolveOnCdCommand(command, *cdRoot);
      if (item != nullptr) item->ItemCommand = command;
    }
    items.push_back({name, onCd ? command : installFolder + command});
  }
  return items;
}

}  // namespace

void Installer::CreateProgramGroup(const std::string& installFolder) {
  report.ErrorCode = ReadGroupFile(folders.AppPath + "group");
  if (report.ErrorCode != 0) ShowFatalError(report.ErrorCode, "group");

  const std::vector<GroupLink> items = ItemsToAdd(*this, installFolder);
  group.DDECommand = CreateGroupCommand(group.GroupName, folders.WinDir, group.GroupFileName);
  const DdeStatus created = PerformDDE();
  group.DDECommand = ShowGroupCommand(group.GroupName);
  const DdeStatus shown = PerformDDE();
  // Without a Program Manager the group is made as shell links, whole: what a stalled server
  // made of the commands it had is not known.
  if (group.ProgramManagerSilent) {
    CreateLinkGroup(*this, items);
    return;
  }
  // Items go into the group the shell made current last. When neither command reached it,
  // that is some other group (or none, which has made a shell fail), so no item is sent.
  const auto reached = [](DdeStatus status) {
    return status != DdeStatus::kRefused && status != DdeStatus::kNotProcessed;
  };
  if (!reached(created) && !reached(shown)) {
    if (group.GroupItemCount > 0) Log("The program group was neither made nor shown: its items are not sent");
    return;
  }
  for (const GroupLink& item : items) {
    group.DDECommand = ReplaceItemCommand(item.name);
    PerformDDE();
    group.DDECommand = AddItemCommand(item.command, item.name);
    PerformDDE();
    if (group.ProgramManagerSilent) {
      CreateLinkGroup(*this, items);
      return;
    }
  }
}

void Installer::DeleteProgramGroup() {
  report.ErrorCode = ReadGroupFile(folders.AppPath + "group");
  if (report.ErrorCode != 0) ShowFatalError(report.ErrorCode, "group");
  group.DDECommand = DeleteGroupCommand(group.GroupName);
  PerformDDE();
  // The installation may have made the group as shell links, in either Programs folder, and
  // Program Manager removes only its own group: the links go whatever it answered.
  std::vector<GroupLink> items;
  for (const std::vector<GroupItem>& row : group.GroupItems) {
    const auto column = static_cast<std::size_t>(texts.LangIndex);
    if (texts.LangIndex < 0 || column >= row.size()) continue;
    if (row[column].ItemName.empty() && row[column].ItemCommand.empty()) continue;
    items.push_back({row[column].ItemName, row[column].ItemCommand});
  }
  DeleteLinkGroup(*this, items);
}

DdeStatus Installer::PerformDDE() {
  // Once Program Manager has left a conversation unanswered, the commands that follow are
  // not sent: each would cost the whole time limit again.
  if (group.ProgramManagerSilent) {
    Log("DDE " + group.DDECommand + ": not sent, Program Manager does not answer");
    return DdeStatus::kRefused;
  }
  // The conversation with "ProgMan" on "Progman" is opened within 3 seconds, the command
  // executed with a limit of 6 seconds, and the conversation closed again: one conversation
  // per command.
  for (int k = 0; k < 8; ++k) DoEvents();
  DdeStatus status = platform_.shell.DdeExecute("ProgMan", "Progman", group.DDECommand,
                                                kDdeConnectLimitMs, kDdeCommandLimitMs);
  // A refused conversation carried no command, so asking again cannot run it twice. The
  // system turns a request away when the shell's window thread, idle for a while, is taken
  // for hung just as the request wakes it; a moment later the shell answers. (Seen under Wine
  // on a busy machine: "CreateGroup" was refused, so the group and its items were never
  // made.) A request held up to its limit is not asked again: that window would hold it again.
  for (int attempt = 1; status == DdeStatus::kRefused && attempt < kDdeConversationAttempts; ++attempt) {
    DoEvents();
    platform_.clock.SleepMs(kDdeRetryPauseMs);
    status = platform_.shell.DdeExecute("ProgMan", "Progman", group.DDECommand, kDdeConnectLimitMs,
                                        kDdeCommandLimitMs);
  }
  DoEvents();
  Log("DDE " + group.DDECommand + ": " + Describe(status));
  if (Unanswered(status)) group.ProgramManagerSilent = true;
  DoEvents();
  return status;
}

}  // namespace tunovar
