// Writing the install records: "ovrituno.inf" and the removal list "defile".
#include "install/records.h"

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
// could not find everything it names, and the run is no success.
void WriteRecord(Installer& installer, const std::string& path, WriteMode mode,
                 const std::string& text) {
  auto writer = installer.platform().fs.OpenForWriting(path, mode);
  if (!writer || !writer->Write(text)) {
    installer.Log(std::string("Record not written (") + (writer ? "write failed" : "cannot open") + "): " + path);
    StringList& failed = installer.report.FailedRecords;
    if (failed.empty() || failed.back() != path) failed.push_back(path);
    return;
  }
  installer.Log((mode == WriteMode::kAppend ? "Record appended: " : "Record written: ") + path);
}

}  // namespace

void WriteWindowsFolderRecord(Installer& installer, const std::string& target) {
  WriteRecord(installer, installer.folders.WinDir + "ovrituno.inf", WriteMode::kReplace,
              WindowsFolderRecordText(target));
}

void Installer::WriteUninstallRecord(const std::string& listPath, const StringList& entries,
                                     const std::string& destPrefix) {
  WriteRecord(*this, listPath, WriteMode::kReplace, RemovalListText(texts.LangIndex, entries, destPrefix));
}

void Installer::AppendFolderEntries(const std::string& listPath, const StringList& folderList) {
  WriteRecord(*this, listPath, WriteMode::kAppend, FolderEntriesText(folderList));
}

}  // namespace tunovar
