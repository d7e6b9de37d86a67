// The removal journal: any bytes give no list, or a list whose every line is one of theirs (or
// one of the two fixed files), and never more entries than lines; what an installation writes,
// cut anywhere, gives the entries it names whole, as "defile" would hold them.
#include <set>
#include <utility>
#include <vector>

#include "base/ansi_text.h"
#include "base/text_lines.h"
#include "fuzz/fuzz_input.h"
#include "formats/removal_journal.h"

using namespace tunovar;
using tunovar::fuzz::FuzzInput;
using tunovar::fuzz::Require;

namespace {

// The lines as the journal's reader cuts them: at CR LF only.
std::vector<std::string> CrLfLines(std::string_view bytes) {
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = bytes.find(kCrLf, at)) != std::string_view::npos; at = end + 2) {
    lines.emplace_back(bytes.substr(at, end - at));
  }
  return lines;
}

void CheckAnyBytes(std::string_view bytes) {
  const JournalAsList list = RemovalListOfJournal(bytes);
  if (list.code != 0 || !list.text) {
    Require(!list.text, "a refused journal gives no list");
    return;
  }
  std::set<std::string> lines;
  for (const std::string& line : CrLfLines(bytes)) {
    lines.insert(line.size() > 1 && (line[0] == '#' || line[0] == '+') ? line.substr(1) : line);
  }
  const std::vector<std::string> out = CrLfLines(*list.text);
  Require(!out.empty() && ParseWholeNumber(out[0]).has_value(), "the list starts with its language");
  for (std::size_t k = 3; k < out.size(); ++k) {
    const std::string& line = out[k];
    const std::string path = !line.empty() && line[0] == '#' ? line.substr(1) : line;
    Require(lines.count(path) != 0 || lines.count(line) != 0, "every entry comes from a line of the journal");
  }
}

std::string EntryOf(FuzzInput& input) {
  std::string text = input.Piece('\n', 40);
  std::erase(text, '\r');
  return "C:\\Apps\\TUNOVAR\\TUNOVAR\\" + text + "x";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::int32_t language = input.Below(30);
  StringList folders;
  for (int k = input.Below(3); k > 0; --k) folders.push_back(EntryOf(input) + "\\");
  StringList files;
  for (int k = input.Below(6); k > 0; --k) files.push_back(EntryOf(input));
  std::string journal = RemovalJournalStart(language, "C:\\Apps\\TUNOVAR\\", {}, {});
  const std::size_t header = journal.size();
  // Each entry with where its line ends: the folders, then the files.
  std::vector<std::pair<std::string, std::size_t>> entries;
  for (const auto& [list, mark] : {std::pair{&folders, "#"}, std::pair{&files, ""}}) {
    for (const std::string_view entry : *list) {
      journal += mark;
      journal += entry;
      journal += kCrLf;
      entries.emplace_back(std::string(mark) + std::string(entry), journal.size());
    }
  }
  const std::size_t cut = static_cast<std::size_t>(input.Below(256) * 256 + input.Below(256)) % (journal.size() + 1);
  CheckAnyBytes(input.Rest());

  const JournalAsList list = RemovalListOfJournal(std::string_view(journal).substr(0, cut));
  Require(list.code == 0, "a journal an installation wrote is never refused");
  if (cut < header) {
    Require(!list.text, "a journal cut in its header names nothing");
    return 0;
  }
  StringList placed;
  StringList made;
  for (const auto& [entry, end] : entries) {
    if (end > cut) break;
    const bool folder = entry.starts_with('#');
    placed.push_back(folder ? std::string_view(entry).substr(1) : std::string_view(entry));
    if (folder) made.push_back(std::string_view(entry).substr(1));
  }
  const std::string expected = RemovalListText(language, placed, "C:\\Apps\\TUNOVAR\\") + FolderEntriesText(made);
  Require(list.text == expected, "the entries written whole come back as defile would hold them");
  return 0;
}
