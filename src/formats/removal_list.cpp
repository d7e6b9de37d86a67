// The removal list "defile": written by the installation, read by the uninstallation.
#include "formats/removal_list.h"

#include "base/ansi_text.h"
#include "base/windows_path.h"

namespace tunovar {

bool NamesBatchFile(std::string_view path, std::string_view name) {
  // A name without a separator stands in the path as it is written wherever the path names
  // the file: most paths are passed over by that alone.
  if (!HoldsPathSeparator(name) && !ContainsNoCase(path, name)) return false;
  std::string joined;
  for (const std::string_view component : PathComponents(path)) {
    joined += '\\';
    joined += component;
  }
  return ContainsNoCase(joined, "runtime\\" + std::string(name));
}

std::string RemovalListLanguageLine(std::int32_t langIndex) {
  std::string line = (langIndex < 0 ? "" : " ") + DecimalText(langIndex) + " ";
  line += kCrLf;
  return line;
}

bool WriteRemovalListText(std::int32_t langIndex, const StringList& entries, const std::string& destPrefix,
                          const std::function<bool(std::string_view)>& write) {
  constexpr std::size_t kPiece = 16384;
  std::string text = RemovalListLanguageLine(langIndex);
  text += destPrefix + "TUNOVAR\\tunodoc.gid";
  text += kCrLf;
  text += destPrefix + "TUNOVAR\\burn.lst";
  text += kCrLf;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    // The batch deletes its own program information file; listing it would make the
    // uninstaller delete it before the batch could be started through it.
    if (NamesBatchFile(*it, "deinst.pif")) continue;
    text += *it;
    text += kCrLf;
    if (text.size() >= kPiece) {
      if (!write(text)) return false;
      text.clear();
    }
  }
  return write(text);
}

std::string RemovalListText(std::int32_t langIndex, const StringList& entries, const std::string& destPrefix) {
  std::string text;
  (void)WriteRemovalListText(langIndex, entries, destPrefix, [&text](std::string_view piece) {
    text += piece;
    return true;
  });
  return text;
}

std::string FolderEntriesText(const StringList& folders) {
  std::string text;
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    text += '#';
    text += *it;
    text += kCrLf;
  }
  return text;
}

std::optional<RemovalEntry> ParseRemovalEntry(std::string_view line) {
  const bool folder = !line.empty() && line.front() == '#';
  const std::string_view path = folder ? line.substr(1) : line;
  if (path.find_first_not_of(kBlanks) == std::string_view::npos) return std::nullopt;
  return RemovalEntry{line, folder, path};
}

RemovalList ParseRemovalList(LineSource& lines, std::size_t maxBytes) {
  RemovalList list;
  std::size_t bytes = 0;
  std::string line;
  for (bool first = true;; first = false) {
    const LineStatus status = lines.Next(line);
    if (status == LineStatus::kEnd) return list;
    bytes += line.size() + kCrLf.size();
    if (status == LineStatus::kReadError || bytes > maxBytes) return RemovalList{1, std::nullopt, {}};
    if (first) {
      list.language = ParseWholeNumber(line);
    } else if (ParseRemovalEntry(line)) {
      list.entries.push_back(line);
    }
  }
}

}  // namespace tunovar
