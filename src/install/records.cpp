// Writing the install records: "ovrituno.inf", the removal list "defile" and, while the files
// are placed, the removal journal "defile.jnl".
#include "install/records.h"

#include <functional>

#include "base/ansi_text.h"
#include "formats/removal_list.h"
#include "installer/installer.h"

namespace tunovar {

std::string WindowsFolderRecordText(const std::string& target) {
  std::string text = "\"" + target + "tunovar\\\"";
  text += kCrLf;
  return text;
}

namespace {

// A record that could not be written whole is noted for the closing report: the uninstaller
// could not find everything it names, and the run is no success. writeText hands the record's
// text to the writer, in one piece or several; a durable record is on the disk itself when
// this returns.
void WriteRecord(Installer& installer, const std::string& path, WriteMode mode,
                 const std::function<bool(TextFileWriter&)>& writeText, bool durable = false) {
  auto writer = installer.platform().fs.OpenForWriting(path, mode);
  const bool written = writer && writeText(*writer);
  if (!written || (durable && !writer->Sync())) {
    installer.Log(std::string("Record not written (") +
                  (!writer ? "cannot open" : !written ? "write failed" : "not put on the disk") + "): " + path);
    std::vector<std::string>& failed = installer.report.FailedRecords;
    if (failed.empty() || failed.back() != path) failed.push_back(path);
    return;
  }
  installer.Log((mode == WriteMode::kAppend ? "Record appended: " : "Record written: ") + path);
}

void WriteRecord(Installer& installer, const std::string& path, WriteMode mode, const std::string& text,
                 bool durable = false) {
  WriteRecord(installer, path, mode, [&text](TextFileWriter& writer) { return writer.Write(text); }, durable);
}

std::string RuntimeFolderOf(const std::string& target) { return target + "TUNOVAR\\runtime\\"; }

}  // namespace

void WriteWindowsFolderRecord(Installer& installer, const std::string& target) {
  WriteRecord(installer, installer.folders.WinDir + "ovrituno.inf", WriteMode::kReplace,
              WindowsFolderRecordText(target));
}

void Installer::WriteUninstallRecord(const std::string& listPath, const StringList& entries,
                                     const std::string& destPrefix) {
  // In pieces: the text of a large installation is never held whole beside its list.
  WriteRecord(*this, listPath, WriteMode::kReplace, [&](TextFileWriter& writer) {
    return WriteRemovalListText(texts.LangIndex, entries, destPrefix,
                                [&writer](std::string_view piece) { return writer.Write(piece); });
  });
}

void Installer::AppendFolderEntries(const std::string& listPath, const StringList& folderList) {
  // The list's last lines: once they are on the disk, the journal can go.
  WriteRecord(*this, listPath, WriteMode::kAppend, FolderEntriesText(folderList), true);
}

void Installer::BeginRemovalJournal(const std::string& target) {
  placing.target = target;
  OpenRemovalJournal({});
}

// The journal lives in the runtime folder, beside "defile", where the uninstaller looks: the
// folders made before that folder exists are written into it when it opens. The record found
// there (an earlier installation's "defile", or the journal of an earlier run that did not
// complete) names files that this run may not reach before it ends: its entries are carried
// over, and the journal is from then on the one record of the folder.
void Installer::OpenRemovalJournal(const StringList& foldersMade) {
  if (placing.journalTried || placing.target.empty()) return;
  FileSystem& fs = platform_.fs;
  const std::string runtime = RuntimeFolderOf(placing.target);
  if (!fs.FolderExists(runtime)) return;
  placing.journalTried = true;
  const std::string path = runtime + std::string(kRemovalJournalName);
  const std::string older = runtime + "defile";
  const bool olderList = fs.FileExists(older);
  StringList carried;
  if (const JournalAsList earlier = ReadRemovalJournal(fs, path, older); earlier.text) {
    carried = RemovalListEntryLines(*earlier.text);
  } else if (olderList) {
    carried = RemovalListEntryLines(fs, older);
  }
  placing.journal = RemovalJournal::Begin(fs, platform_.clock, path,
                                          RemovalJournalStart(texts.LangIndex, placing.target, carried, foldersMade));
  if (!placing.journal) {
    Log("The removal journal cannot be written: " + path + "; a run that ends early leaves no list of what it placed");
    return;
  }
  Log("Removal journal begun: " + path + " (" + DecimalText(static_cast<std::int64_t>(carried.size())) +
      " entries of an earlier record carried over)");
  if (placing.journal->SyncFailed()) Log("The disk did not confirm that it holds the removal journal " + path);
  // From here on the journal is the one record: the next run that finds it carries it over.
  if (!olderList) return;
  (void)fs.ClearAttributes(older);
  const FsStatus status = fs.DeleteFile(older);
  Log(status == FsStatus::kOk ? "Deleted the removal list of the earlier installation " + older
                              : "Could not delete the removal list of the earlier installation " + older + ": " +
                                    Describe(status));
}

void Installer::NotePlacing(std::string_view path, bool folder) {
  RemovalJournal* journal = placing.journal.get();
  if (journal == nullptr || journal->Failed()) return;
  const bool synced = !journal->SyncFailed();
  if (!journal->Note(path, folder)) {
    Log("The removal journal cannot be written on: " + journal->Path() + "; entries from " + std::string(path) +
        " on are missing from it");
  } else if (synced && journal->SyncFailed()) {
    Log("The disk did not confirm that it holds the removal journal " + journal->Path());
  }
}

// A whole "defile" on the disk makes the journal needless. Where "defile" could not be written
// whole, the journal still names everything this run placed and the uninstaller reads it: the
// cut list, which would win over it, goes.
void Installer::SettleRemovalJournal(const std::string& listPath, bool listWhole) {
  placing.listWritten = listWhole;
  if (placing.target.empty()) return;
  FileSystem& fs = platform_.fs;
  const std::string path = RuntimeFolderOf(placing.target) + std::string(kRemovalJournalName);
  if (!listWhole) {
    if (!placing.journal || placing.journal->Failed()) return;
    (void)fs.ClearAttributes(listPath);
    const FsStatus status = fs.DeleteFile(listPath);
    Log(status == FsStatus::kOk || status == FsStatus::kNotFound
            ? "The removal journal " + path + " stays in place of the incomplete " + listPath
            : "Could not delete the incomplete " + listPath + ": " + Describe(status));
    return;
  }
  placing.journal.reset();  // closed: an open file cannot be deleted on Windows
  if (!fs.FileExists(path)) return;
  const FsStatus status = fs.DeleteFile(path);
  Log(status == FsStatus::kOk ? "Removal journal deleted: " + path
                              : "Could not delete the removal journal " + path + " (the removal list wins over it): " +
                                    Describe(status));
}

}  // namespace tunovar
