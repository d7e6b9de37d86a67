// The removal journal "defile.jnl": written while the installation places its files, read by
// the uninstallation where "defile" is missing.
#include "formats/removal_journal.h"

#include <set>
#include <utility>

#include "base/ansi_text.h"
#include "base/windows_path.h"
#include "base/text_lines.h"
#include "formats/text_file.h"

namespace tunovar {

std::string RemovalJournalStart(std::int32_t langIndex, const std::string& target, const StringList& carried,
                                const StringList& folders) {
  std::string text = RemovalListLanguageLine(langIndex);
  text += target;
  text += kCrLf;
  for (const auto& [mark, lines] : {std::pair{'+', &carried}, std::pair{'#', &folders}}) {
    for (const std::string_view line : *lines) {
      text += mark;
      text += line;
      text += kCrLf;
    }
  }
  return text;
}

namespace {

// The lines of a journal, by kind.
struct JournalLines {
  std::optional<std::int32_t> language;
  std::string target;
  StringList placed;   // folders and files, in placing order
  StringList folders;  // the "#" lines
  StringList carried;
};

// Appends the carried lines of one kind ("#" lines or the others) that nothing written names.
void AppendCarried(std::string& list, const StringList& carried, bool folderLines, std::set<std::string>& written) {
  for (const std::string_view line : carried) {
    const bool folderLine = !line.empty() && line.front() == '#';
    if (folderLine != folderLines || !written.insert(UCase(line)).second) continue;
    list += line;
    list += kCrLf;
  }
}

}  // namespace

JournalAsList RemovalListOfJournal(std::string_view journal, const StringList& besideIt) {
  JournalLines lines;
  std::size_t count = 0;
  for (std::size_t at = 0;; ++count) {
    const std::size_t end = journal.find(kCrLf, at);
    if (end == std::string_view::npos) break;  // the end, or a line cut off by the end of the run
    const std::string_view text = journal.substr(at, end - at);
    at = end + kCrLf.size();
    if (count == 0) {
      lines.language = ParseWholeNumber(text);
      if (!lines.language) return {1, std::nullopt};
    } else if (count == 1) {
      if (!EndsInBackslash(text)) return {1, std::nullopt};
      lines.target = text;
    } else if (text.size() <= 1) {
      continue;  // names nothing
    } else if (text.front() == '+') {
      lines.carried.push_back(text.substr(1));
    } else if (text.front() == '#') {
      lines.placed.push_back(text.substr(1));
      lines.folders.push_back(text.substr(1));
    } else {
      lines.placed.push_back(text);
    }
  }
  if (count < 2) return {};
  lines.carried.Append(besideIt);
  std::string list;
  (void)WriteRemovalListText(*lines.language, lines.placed, lines.target, [&list](std::string_view piece) {
    list += piece;
    return true;
  });
  const std::string folderLines = FolderEntriesText(lines.folders);
  if (lines.carried.empty()) return {0, list + folderLines};
  // What this run's own lines name, so that a carried line adds only what they do not.
  std::set<std::string> written;
  for (const std::string& line : SplitLines(list + folderLines)) written.insert(UCase(line));
  AppendCarried(list, lines.carried, false, written);
  list += folderLines;
  AppendCarried(list, lines.carried, true, written);
  return {0, std::move(list)};
}

JournalAsList ReadRemovalJournal(FileSystem& fs, const std::string& journalPath, const std::string& listPath) {
  const std::optional<std::uint64_t> length = fs.FileLength(journalPath);
  if (!length) return {};
  if (*length > kRemovalJournalMaxBytes) return {1, std::nullopt};
  const std::optional<std::string> bytes = fs.ReadWholeFile(journalPath);
  if (!bytes) return {1, std::nullopt};
  // A "defile" beside it may have been cut off in the middle of a line, which names nothing.
  StringList besideIt;
  const std::optional<std::uint64_t> listLength = fs.FileLength(listPath);
  if (listLength && *listLength <= kRemovalListMaxBytes) {
    if (const std::optional<std::string> list = fs.ReadWholeFile(listPath)) {
      const std::size_t end = list->rfind(kCrLf);
      besideIt = RemovalListEntryLines(std::string_view(*list).substr(0, end == std::string::npos ? 0 : end + 2));
    }
  }
  return RemovalListOfJournal(*bytes, besideIt);
}

namespace {

StringList EntryLines(LineSource& lines) {
  StringList out;
  const RemovalList list = ParseRemovalList(lines);
  if (list.code != 0) return out;
  for (const RemovalEntry& entry : list.entries) out.push_back(entry.line);
  return out;
}

}  // namespace

StringList RemovalListEntryLines(std::string_view listText) {
  BytesLines lines(listText);
  return EntryLines(lines);
}

StringList RemovalListEntryLines(FileSystem& fs, const std::string& path) {
  const std::unique_ptr<LineSource> lines = OpenTextLines(fs, path);
  return lines ? EntryLines(*lines) : StringList{};
}

RemovalJournal::RemovalJournal(std::unique_ptr<TextFileWriter> writer, Clock& clock, std::string path)
    : writer_(std::move(writer)), clock_(clock), path_(std::move(path)), lastSyncMs_(clock.TimeMs()) {}

std::unique_ptr<RemovalJournal> RemovalJournal::Begin(FileSystem& fs, Clock& clock, const std::string& path,
                                                      const std::string& start) {
  // A replacement: the journal of an earlier run, whose entries start carries, is never cut
  // short on disk, also when the program is killed while the new one is written.
  {
    const std::unique_ptr<ReplacementFile> replacement = fs.CreateReplacement(path);
    if (replacement == nullptr || !replacement->Write(start.data(), start.size()) ||
        replacement->Commit("") != FsStatus::kOk) {
      return nullptr;
    }
  }
  std::unique_ptr<TextFileWriter> writer = fs.OpenForWriting(path, WriteMode::kAppend);
  if (writer == nullptr) return nullptr;
  // On the disk before anything else is placed. A disk that cannot be asked to keep it still
  // keeps it through a kill or a crash of the program.
  const bool synced = writer->Sync();
  std::unique_ptr<RemovalJournal> journal(new RemovalJournal(std::move(writer), clock, path));
  journal->syncFailed_ = !synced;
  return journal;
}

bool RemovalJournal::Note(std::string_view path, bool folder) {
  if (failed_) return false;
  line_.clear();
  if (folder) line_ += '#';
  line_ += path;
  line_ += kCrLf;
  // One write a line: a program that is killed leaves it whole, or not at all.
  if (!writer_->Write(line_)) {
    failed_ = true;
    return false;
  }
  unsynced_ = true;
  SyncIfDue();
  return true;
}

void RemovalJournal::SyncIfDue() {
  if (!unsynced_) {
    lastSyncMs_ = clock_.TimeMs();  // the interval counts from the first entry that waits
    return;
  }
  if (clock_.TimeMs() - lastSyncMs_ < kSyncIntervalMs) return;
  if (!writer_->Sync()) syncFailed_ = true;
  unsynced_ = false;
  lastSyncMs_ = clock_.TimeMs();
}

}  // namespace tunovar
