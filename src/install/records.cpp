// Writing the install records: "ovrituno.inf" and the removal list "defile".
#include "install/records.h"

#include <functional>

#include "base/ansi_text.h"
#include "install/removal_list.h"
#include "startup/installer.h"

namespace tunovar {

std::string WindowsFolderRecordText(const std::string& target) {
  std::string text = "\"" + target + "tunovar\\\"";
  text += kCrLf;
  return text;
}

namespace {

// A record that could not be written whole is noted for the closing report: the uninstaller
// could not find everything it names, and the run is no success. writeText hands the record's
// text to the writer, in one piece or several.
void WriteRecord(Installer& installer, const std::string& path, WriteMode mode,
                 const std::function<bool(TextFileWriter&)>& writeText) {
  auto writer = installer.platform().fs.OpenForWriting(path, mode);
  if (!writer || !writeText(*writer)) {
    installer.Log(std::string("Record not written (") + (writer ? "write failed" : "cannot open") + "): " + path);
    std::vector<std::string>& failed = installer.report.FailedRecords;
    if (failed.empty() || failed.back() != path) failed.push_back(path);
    return;
  }
  installer.Log((mode == WriteMode::kAppend ? "Record appended: " : "Record written: ") + path);
}

void WriteRecord(Installer& installer, const std::string& path, WriteMode mode, const std::string& text) {
  WriteRecord(installer, path, mode, [&text](TextFileWriter& writer) { return writer.Write(text); });
}

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
  WriteRecord(*this, listPath, WriteMode::kAppend, FolderEntriesText(folderList));
}

}  // namespace tunovar
