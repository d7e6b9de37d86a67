// The removal list: any bytes read as entries that say what their line says, within the
// size limit; what the installation writes reads back as the same language and entries.
#include "base/ansi_text.h"
#include "base/text_lines.h"
#include "fuzz/fuzz_input.h"
#include "formats/removal_list.h"

using namespace tunovar;
using tunovar::fuzz::FuzzInput;
using tunovar::fuzz::Require;

namespace {

constexpr std::size_t kSmallLimit = 2048;  // small enough for the fuzzer to pass it

void CheckAnyBytes(std::string_view bytes) {
  BytesLines lines(bytes);
  const RemovalList list = ParseRemovalList(lines, kSmallLimit);
  if (list.code != 0) {
    Require(list.entries.empty() && !list.language, "a refused list names nothing");
    Require(bytes.size() + 2 * SplitLines(bytes).size() > kSmallLimit, "only a list over the limit is refused");
    return;
  }
  for (const RemovalEntry& entry : list.entries) {
    Require(entry.folder == entry.line.starts_with('#'), "a folder entry is a \"#\" line");
    Require(entry.path == (entry.folder ? entry.line.substr(1) : entry.line), "the path is the line without its \"#\"");
    Require(!Trim(entry.path).empty(), "an entry names something");
  }
}

// A path the installation may write: a line of its own that names something.
std::string EntryOf(FuzzInput& input) {
  std::string text = input.Piece('\n', 60);
  std::erase(text, '\r');
  if (Trim(text).empty()) text += 'x';
  return "C:\\Apps\\TUNOVAR\\" + text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  CheckAnyBytes(input.Rest());

  const std::int32_t language = input.Below(40) - 5;
  std::vector<std::string> entries(static_cast<std::size_t>(input.Below(6)));
  for (std::string& e : entries) e = EntryOf(input);
  std::vector<std::string> folders(static_cast<std::size_t>(input.Below(4)));
  for (std::string& f : folders) f = EntryOf(input) + "\\";
  StringList entryList;
  for (const std::string& e : entries) entryList.push_back(e);
  StringList folderList;
  for (const std::string& f : folders) folderList.push_back(f);
  const std::string text =
      RemovalListText(language, entryList, "C:\\Apps\\TUNOVAR\\") + FolderEntriesText(folderList);

  BytesLines lines(text);
  const RemovalList list = ParseRemovalList(lines);
  Require(list.code == 0 && list.language == language, "the language reads back");
  std::vector<std::string> expected = {"C:\\Apps\\TUNOVAR\\TUNOVAR\\tunodoc.gid", "C:\\Apps\\TUNOVAR\\TUNOVAR\\burn.lst"};
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (!ContainsNoCase(*it, "runtime\\deinst.pif")) expected.push_back(*it);
  }
  const std::size_t files = expected.size();
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) expected.push_back(*it);
  Require(list.entries.size() == expected.size(), "every entry written reads back");
  std::size_t k = 0;
  for (const RemovalEntry entry : list.entries) {
    Require(entry.path == expected[k], "an entry reads back as written, last placed first");
    Require(entry.folder == (k >= files), "only the \"#\" lines are folders");
    ++k;
  }
  return 0;
}
