// Writing the install records: "ovrituno.inf" and the removal list "defile".
#include "install/records.h"

#include "base/ansi_text.h"
#include "startup/installer.h"

namespace tunovar {

std::string WindowsFolderRecordText(const std::string& target) {
  std::string text = "\"" + target + "tunovar\\\"";
  text += kCrLf;
  return text;
}

std::string RemovalListText(std::int32_t langIndex, const std::vector<std::string>& entries,
                            const std::string& destPrefix) {
  // A number is written as the runtime prints it: where a minus sign would stand, a blank;
  // after it, one blank.
  std::string text = (langIndex < 0 ? "" : " ") + DecimalText(langIndex) + " ";
  text += kCrLf;
  text += destPrefix + "TUNOVAR\\tunodoc.gid";
  text += kCrLf;
  text += destPrefix + "TUNOVAR\\burn.lst";
  text += kCrLf;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    // The batch deletes its own program information file; listing it would make the
    // uninstaller delete it before the batch could be started through it.
    if (ContainsNoCase(*it, "runtime\\deinst.pif")) continue;
    text += *it;
    text += kCrLf;
  }
  return text;
}

std::string FolderEntriesText(const std::vector<std::string>& folders) {
  std::string text;
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    text += "#" + *it;
    text += kCrLf;
  }
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
  WriteRecord(installer, installer.WinDir + "ovrituno.inf", WriteMode::kReplace,
              WindowsFolderRecordText(target));
}

void Installer::WriteUninstallRecord(const std::string& listPath, const StringList& entries,
                                     const std::string& destPrefix) {
  WriteRecord(*this, listPath, WriteMode::kReplace, RemovalListText(LangIndex, entries, destPrefix));
}

void Installer::AppendFolderEntries(const std::string& listPath, const StringList& folders) {
  WriteRecord(*this, listPath, WriteMode::kAppend, FolderEntriesText(folders));
}

}  // namespace tunovar
