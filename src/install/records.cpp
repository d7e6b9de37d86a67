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

void WriteRecord(Installer& installer, const std::string& path, WriteMode mode,
                 const std::string& text) {
  auto writer = installer.platform().fs.OpenForWriting(path, mode);
  if (!writer) {
    installer.Log("Record not written (cannot open): " + path);
    return;
  }
  if (!writer->Write(text)) {
    installer.Log("Record not written (write failed): " + path);
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
