// The group file: the pure reader.
#include "formats/group_file.h"

#include <memory>
#include <optional>
#include <utility>

#include "base/ansi_text.h"
#include "formats/installer_texts.h"

namespace tunovar {

GroupFileRead ParseGroupFile(LineSource& lines, std::int32_t languageCount, ProgramGroup previous) {
  GroupFileRead read{0, std::move(previous)};
  ProgramGroup& group = read.group;
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
    if (const auto count = ParseWholeNumber(*line)) group.GroupItemCount = *count;
  }
  if (const auto line = readLine()) group.GroupFileName = *line;
  if (const auto line = readLine()) group.GroupName = *line;

  // The items in file order: every one announced must be there.
  struct Placed {
    std::size_t row, column;
    GroupItem item;
  };
  std::vector<Placed> items;
  bool complete = true;
  for (std::int32_t j = 0; j < languageCount && complete; ++j) {
    for (std::int32_t i = 0; i < group.GroupItemCount; ++i) {
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
  if (group.GroupItemCount >= 0 && languageCount >= 0 && languageCount <= kSections &&
      static_cast<std::size_t>(group.GroupItemCount) <= lineCount) {
    group.GroupItems.assign(static_cast<std::size_t>(group.GroupItemCount) + 1,
                           std::vector<GroupItem>(static_cast<std::size_t>(languageCount) + 1));
  }
  for (Placed& placed : items) {
    if (placed.row >= group.GroupItems.size() || placed.column >= group.GroupItems[placed.row].size()) {
      complete = false;
      break;
    }
    group.GroupItems[placed.row][placed.column] = std::move(placed.item);
  }
  read.result = (complete && !readError) ? 0 : 1;
  return read;
}

}  // namespace tunovar
