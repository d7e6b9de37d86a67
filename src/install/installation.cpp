// The installation sequence: from the click on Install to the end of the program.
#include <cstdint>
#include <limits>
#include <utility>

#include "base/ansi_text.h"
#include "install/copying.h"
#include "install/records.h"
#include "startup/installer.h"
#include "window/target_path.h"

namespace tunovar {
namespace {

constexpr std::int64_t kMegabyte = 1048576;
constexpr const char* kSpaceTitle = "Ovri TUNOVAR Installation";
constexpr const char* kUninstallerName = "Ovri TUNOVAR - Deinstallation";

// One list file's two lists.
struct ListPair {
  StringList sources;
  StringList destinations;
};

// Entries that would be placed outside the target folder are taken out and reported.
void RefuseEntriesOutsideTarget(Installer& installer, ListPair& list, const std::string& target,
                                const char* listName) {
  for (const std::string& line : DropEntriesOutsideTarget(list.sources, list.destinations, target)) {
    installer.Log(std::string("Refused line of ") + listName + " (outside the target folder): " + line);
    installer.FailedFiles.push_back(line);
  }
}

}  // namespace

void Installer::RunInstallation() {
  Log("Installation started");
  // 1.
  GetWindowsDir();
  // 2. The companion program starts on every click, also when the space check then refuses.
  platform_.shell.Open(AppPath + "oset.exe", "", DropRight(AppPath, 1).value_or(""),
                       ShowMode::kNormal);
  // 3. RequiredBytes holds 32 bits: 2048 MB or more cannot be stored and it keeps its value.
  const std::int64_t requiredBytes = std::int64_t{RequiredMB} * kMegabyte;
  if (requiredBytes >= std::numeric_limits<std::int32_t>::min() &&
      requiredBytes <= std::numeric_limits<std::int32_t>::max()) {
    RequiredBytes = static_cast<std::int32_t>(requiredBytes);
  }
  // 4. The space check is made on the full figures, so that it also holds for 2048 MB or more.
  if (std::int64_t{FreeMB} * kMegabyte < requiredBytes) {
    Log("Not enough space: " + DecimalText(FreeMB) + " MB free, " + DecimalText(RequiredMB) +
        " MB required");
    (void)Message(kSpaceTitle, Text(LangIndex, TextSlot::kNoSpace), MessageButtons::kOk, MessageAnswer::kOk);
    return;
  }
  // 5., 6.
  DisableControls();
  ProgressPercent = 0;
  ProgressValue = 0;
  ShowProgress(1, false);
  // 7. The text box keeps the text as typed.
  std::string pathText = Window()[Ctl::Text_InstPath].caption;
  const std::string target = SanitizeTargetPath(pathText);
  Log("Target folder " + target);
  // 8. All three lists are required, also "dbfiles" when the CDDB option is off.
  ListPair folders;
  ListPair files;
  ListPair cddb;
  for (const auto& [name, list] : {std::pair{"filedir", &folders}, std::pair{"filelist", &files},
                                   std::pair{"dbfiles", &cddb}}) {
    const std::string path = AppPath + name;
    RequireFile(path);
    // A list that cannot be read to its end would install part of the product as if whole.
    ErrorCode = ReadListFile(path, list->sources, list->destinations, target);
    if (ErrorCode != 0) ShowFatalError(ErrorCode, path);
  }
  RefuseEntriesOutsideTarget(*this, folders, target, "filedir");
  RefuseEntriesOutsideTarget(*this, files, target, "filelist");
  // 9.
  if (!FolderExists(target)) {
    std::string copy = target;
    CreateFolderPath(copy);
  }
  // 10.
  StringList removalList;
  CreateListedFolders(folders.destinations, &removalList);
  // 11. From the full figure, so that the bar also advances for 2048 MB or more; with 0 the
  // division is not made and PercentPerByte keeps its value.
  if (requiredBytes != 0) {
    PercentPerByte = static_cast<float>(100.0 / static_cast<double>(requiredBytes));
  }
  // 12.
  LongestEventGapMs = 0;
  LastEventPointMs.reset();
  CopyListedFiles(files.sources, files.destinations, &removalList);
  // 13. After the program files, before the CDDB files.
  WriteWindowsFolderRecord(*this, target);
  // 14.
  if (CDDBSelected) {
    RefuseEntriesOutsideTarget(*this, cddb, target, "dbfiles");
    CopyListedFiles(cddb.sources, cddb.destinations, &removalList);
  } else {
    Log("CDDB files not chosen: not copied");
  }
  Log("Longest time between two event points while copying: " + DecimalText(LongestEventGapMs) +
      " ms");
  // 15., 16. Written after all copying, so that the list names the CDDB files too.
  const std::string removalListPath = target + "TUNOVAR\\runtime\\defile";
  WriteUninstallRecord(removalListPath, removalList, target);
  AppendFolderEntries(removalListPath, folders.destinations);
  // 17.
  CreateProgramGroup(target);
  // 18.
  const std::string uninstaller = target + "tunovar\\runtime\\deinstal.exe";
  const bool registered = platform_.shell.RegisterUninstaller(uninstaller, kUninstallerName);
  Log((registered ? "Uninstaller registered: " : "Uninstaller not registered: ") + uninstaller);
  // 19., 20.
  EnableControls();
  ShowProgress(0, true);
  // Files that could not be placed are named before the closing question.
  if (!FailedFiles.empty()) {
    (void)Message("Error", FailedFilesText(FailedFiles), MessageButtons::kOk, MessageAnswer::kOk);
  }
  // 21., 22.
  const MessageAnswer answer =
      Message(Text(LangIndex, TextSlot::kTitle), Text(LangIndex, TextSlot::kStartNow), MessageButtons::kYesNo, MessageAnswer::kNo);
  if (answer == MessageAnswer::kYes) {
    platform_.shell.Open(target + "TUNOVAR\\tunOVAR.exe", "", target + "TUNOVAR", ShowMode::kNormal);
  }
  Log(FailedFiles.empty() ? "Installation done"
                          : "Installation done; " + DecimalText(static_cast<std::int64_t>(FailedFiles.size())) +
                                " files could not be placed");
  EndProgram(FailedFiles.empty() ? kExitDone : kExitIncomplete);
}

}  // namespace tunovar
