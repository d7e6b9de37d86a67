// The group file: the pure reader, and ReadGroupFile, which reads it for the program group.
#include "install/group_file.h"

#include <memory>
#include <optional>
#include <utility>

#include "base/ansi_text.h"
#include "startup/installer.h"
#include "startup/installer_texts.h"
#include "startup/text_file.h"

namespace tunovar {

GroupFileRead ParseGroupFile(LineSource& lines, std::int32_t languageCount, GroupFileRead previous) {
  GroupFileRead read = std::move(previous);
  read.result = 0;
  std::size_t lineCount = 0;
  bool readError = false;
  auto readLine = [&]() -> std::optional<std::string> {
    std::string line;
    const LineStatus status = lines.Next(line);
    if (status == LineStatus::kReadError) readError = true;
    if (status != LineStatus::kLine) return std::nullopt;
    ++lineCount;
    return line;
  };

  // The head: what cannot be read keeps its previous value, and is not an error.
  if (const auto line = readLine()) {
    if (const auto count = ParseWholeNumber(*line)) read.GroupItemCount = *count;
  }
  if (const auto line = readLine()) read.GroupFileName = *line;
  if (const auto line = readLine()) read.GroupName = *line;

  // The items in file order: every one announced must be there.
  struct Placed {
    std::size_t row, column;
    GroupItem item;
  };
  std::vector<Placed> items;
  bool complete = true;
  for (std::int32_t j = 0; j < languageCount && complete; ++j) {
    for (std::int32_t i = 0; i < read.GroupItemCount; ++i) {
      std::optional<std::string> name = readLine();
      if (name && ContainsNoCase(*name, "###")) name = readLine();
      const std::optional<std::string> command = readLine();
      if (!name || !command) {
        complete = false;
        break;
      }
      items.push_back({static_cast<std::size_t>(i), static_cast<std::size_t>(j), {*name, *command}});
    }
  }
  // The rest of the file only counts its lines, and must be readable too.
  while (readLine()) {
  }

  // Rows 0 to GroupItemCount, columns 0 to languageCount. A count that the file cannot hold
  // (more items than it has lines) is not sized: the reading fails on it below.
  if (read.GroupItemCount >= 0 && languageCount >= 0 && languageCount <= kSections &&
      static_cast<std::size_t>(read.GroupItemCount) <= lineCount) {
    read.GroupItems.assign(static_cast<std::size_t>(read.GroupItemCount) + 1,
                           std::vector<GroupItem>(static_cast<std::size_t>(languageCount) + 1));
  }
  for (Placed& placed : items) {
    if (placed.row >= read.GroupItems.size() || placed.column >= read.GroupItems[placed.row].size()) {
      complete = false;
      break;
    }
    read.GroupItems[placed.row][placed.column] = std::move(placed.item);
  }
  read.result = (complete && !readError) ? 0 : 1;
  return read;
}

std::int32_t Installer::ReadGroupFile(const std::string& path) {
  GroupFileRead previous{0, GroupItemCount, GroupFileName, GroupName, std::move(GroupItems)};
  GroupFileRead read;
  if (const std::unique_ptr<LineSource> lines = OpenTextLines(platform_.fs, path)) {
    read = ParseGroupFile(*lines, LanguageCount, std::move(previous));
  } else {
    // A missing file reads as one without lines.
    BytesLines none("");
    read = ParseGroupFile(none, LanguageCount, std::move(previous));
  }
  GroupItemCount = read.GroupItemCount;
  GroupFileName = std::move(read.GroupFileName);
  GroupName = std::move(read.GroupName);
  GroupItems = std::move(read.GroupItems);
  Log("Group file " + path + (read.result == 0 ? " read" : " corrupted") + ": " +
      DecimalText(GroupItemCount) + " items per language");
  return read.result;
}

}  // namespace tunovar
