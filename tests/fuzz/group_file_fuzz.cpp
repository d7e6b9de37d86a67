// The group file from any bytes reads to a table of the announced size or fails; a group
// written in the file's format reads back as the same group.
#include "base/ansi_text.h"
#include "base/text_lines.h"
#include "fuzz/fuzz_input.h"
#include "formats/group_file.h"
#include "formats/installer_texts.h"

using namespace tunovar;
using tunovar::fuzz::FuzzInput;
using tunovar::fuzz::Require;

namespace {

// A line of the file: no line end, and no "###" where a name stands (a marker line).
std::string LineOf(FuzzInput& input) {
  std::string text = input.Piece('\n', 40);
  std::erase(text, '\r');
  std::erase(text, '#');
  return text;
}

void CheckAnyBytes(std::string_view bytes, std::int32_t languageCount) {
  BytesLines lines(bytes);
  const GroupFileRead read = ParseGroupFile(lines, languageCount, {});
  Require(read.result == 0 || read.result == 1, "the result is read or corrupted");
  const ProgramGroup& group = read.group;
  if (group.GroupItems.empty()) return;
  Require(group.GroupItemCount >= 0 && group.GroupItems.size() == static_cast<std::size_t>(group.GroupItemCount) + 1,
          "the table has a row for every item and one more");
  for (const auto& row : group.GroupItems) {
    Require(row.size() == static_cast<std::size_t>(languageCount) + 1, "every row has a column per language and one more");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  CheckAnyBytes(input.Rest().substr(std::min<std::size_t>(1, input.Rest().size())), input.Below(25) - 2);

  // The writer's side: a group of a few items in a few languages.
  ProgramGroup group;
  const int languages = 1 + input.Below(3);
  group.GroupItemCount = input.Below(4);
  group.GroupFileName = LineOf(input);
  group.GroupName = LineOf(input);
  group.GroupItems.assign(static_cast<std::size_t>(group.GroupItemCount) + 1,
                          std::vector<GroupItem>(static_cast<std::size_t>(languages) + 1));
  std::string file = DecimalText(group.GroupItemCount) + std::string(kCrLf) + group.GroupFileName +
                     std::string(kCrLf) + group.GroupName + std::string(kCrLf);
  for (int j = 0; j < languages; ++j) {
    if (input.Below(2) == 1) file += "### language" + std::string(kCrLf);
    for (int i = 0; i < group.GroupItemCount; ++i) {
      GroupItem& item = group.GroupItems[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
      item = {LineOf(input), LineOf(input)};
      file += item.ItemName + std::string(kCrLf) + item.ItemCommand + std::string(kCrLf);
    }
  }
  BytesLines lines(file);
  const GroupFileRead read = ParseGroupFile(lines, languages, {});
  Require(read.result == 0, "a group written completely reads");
  Require(read.group.GroupItemCount == group.GroupItemCount && read.group.GroupFileName == group.GroupFileName &&
              read.group.GroupName == group.GroupName,
          "the group's count, file and name read back");
  for (std::size_t i = 0; i < group.GroupItems.size(); ++i) {
    for (std::size_t j = 0; j < group.GroupItems[i].size(); ++j) {
      const GroupItem& want = group.GroupItems[i][j];
      const GroupItem& got = read.group.GroupItems[i][j];
      Require(want.ItemName == got.ItemName && want.ItemCommand == got.ItemCommand, "every item reads back");
    }
  }
  return 0;
}
