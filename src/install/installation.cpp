// The installation sequence RunInstallation as named steps: from the click on Install to the
// end of the program.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "base/ansi_text.h"
#include "install/copying.h"
#include "base/path_limits.h"
#include "install/records.h"
#include "installer/installer.h"
#include "base/path_list_text.h"
#include "base/target_path.h"

namespace tunovar {
namespace {

constexpr std::int64_t kMegabyte = 1048576;
constexpr const char* kSpaceTitle = "Ovri TUNOVAR Installation";
constexpr const char* kUninstallerName = "Ovri TUNOVAR - Deinstallation";
// The version of TUNOVAR on this CD, listed beside the uninstall entry. The CD's texts and
// lists name none; it is the product version that the setup's own version resource states
// (assets/resources.rc, ProductVersion), and changes with it.
constexpr const char* kProductVersion = "1.0.0.0";

// Whole KB, rounded up as the list of installed programs counts them, at most what its
// 32-bit figure holds.
std::uint32_t KilobytesOf(std::uint64_t bytes) {
  const std::uint64_t kb = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(kb, std::numeric_limits<std::uint32_t>::max()));
}

// One list file's two lists.
struct ListPair {
  StringList sources;
  StringList destinations;
};

struct InstallLists {
  ListPair folders;  // "filedir"
  ListPair files;    // "filelist"
  ListPair cddb;     // "dbfiles"
};

// The companion program starts on every click, also when the space check then refuses.
void StartCompanion(Installer& in) {
  (void)in.platform().shell.Open(in.folders.AppPath + "oset.exe", "", DropRight(in.folders.AppPath, 1).value_or(""),
                                 ShowMode::kNormal);
}

// RequiredMB in bytes. RequiredBytes holds 32 bits: 2048 MB or more cannot be stored and it
// keeps its value; the checks and the bar use the full figure.
std::int64_t NoteRequiredBytes(Installer& in) {
  const std::int64_t requiredBytes = std::int64_t{in.space.RequiredMB} * kMegabyte;
  if (requiredBytes >= std::numeric_limits<std::int32_t>::min() &&
      requiredBytes <= std::numeric_limits<std::int32_t>::max()) {
    in.progress.RequiredBytes = static_cast<std::int32_t>(requiredBytes);
  }
  return requiredBytes;
}

enum class Refusal { kSpace, kTarget };

// The refusal of the space check: said in the language's text, and the window comes back. The
// language's text speaks of space only: for a target that is no folder on a drive the log and
// standard error say the reason alone, and the box keeps the language's text.
void RefuseTarget(Installer& in, const std::string& why, Refusal refusal) {
  in.Log(why);
  if (in.Silent()) in.platform().console.WriteError(why);
  if (refusal == Refusal::kSpace) {
    (void)in.Message(kSpaceTitle, in.Text(in.texts.LangIndex, TextSlot::kNoSpace), MessageButtons::kOk,
                     MessageAnswer::kOk);
  } else if (!in.Silent()) {
    (void)in.platform().ui.ShowMessage(kSpaceTitle, in.Text(in.texts.LangIndex, TextSlot::kNoSpace),
                                       MessageButtons::kOk);
  }
}

// The install folder of the path box, resolved as Windows resolves it before anything is
// checked or recorded, so that the records name the folder that really exists. A text that
// gives no full path on a drive is refused as a missing drive is: the space check's message.
std::optional<std::string> TargetFolder(Installer& in) {
  // The text box keeps the text as typed.
  const std::string& text = in.Window()[Ctl::Text_InstPath].caption;
  std::optional<std::string> target = TargetFolderOfText(text);
  if (!target) {
    // Named as typed: the repaired text ("Apps" becomes "Ap\\ps\\TUNOVAR\\") is no folder the
    // user would know.
    RefuseTarget(in, "The target folder " + text + " is no full path on a drive (X:\\...)", Refusal::kTarget);
  }
  return target;
}

bool EnoughSpace(Installer& in, std::int64_t requiredBytes) {
  if (std::int64_t{in.space.FreeMB} * kMegabyte >= requiredBytes) return true;
  RefuseTarget(in,
               "Not enough space: " + DecimalText(in.space.FreeMB) + " MB free, " + DecimalText(in.space.RequiredMB) +
                   " MB required",
               Refusal::kSpace);
  return false;
}

void BeginProgress(Installer& in) {
  in.DisableControls();
  in.progress.ProgressPercent = 0;
  in.progress.ProgressValue = 0;
  in.ShowProgress(1, false);
}

// All three lists are required, also "dbfiles" when the CDDB option is off. A list that cannot
// be read to its end would install part of the product as if whole.
InstallLists ReadInstallLists(Installer& in, const std::string& target) {
  InstallLists lists;
  for (const auto& [name, list] : {std::pair{"filedir", &lists.folders}, std::pair{"filelist", &lists.files},
                                   std::pair{"dbfiles", &lists.cddb}}) {
    const std::string path = in.folders.AppPath + name;
    in.RequireFile(path);
    in.report.ErrorCode = in.ReadListFile(path, list->sources, list->destinations, target);
    if (in.report.ErrorCode != 0) in.ShowFatalError(in.report.ErrorCode, path);
  }
  return lists;
}

// The batch of an earlier uninstall may still wait in the runtime folder, for a file that is
// held; once let go, it would go on to delete what this installation places there (the new
// "readme.txt", "deinst.pif", "defile"). Its file is deleted before anything is placed, and a
// batch whose file is gone stops: the command interpreter stops when it cannot read its next
// line, and the built-in interpreter looks before every deletion. Waiting for the batch
// instead could take for ever (its blocks wait as long as the file is held), and on Windows
// the single-instance lock cannot be held by the interpreter that runs the batch.
void EndWaitingRemovalBatch(Installer& in, const std::string& target) {
  FileSystem& fs = in.platform().fs;
  const std::string batch = target + "TUNOVAR\\runtime\\deinst.bat";
  if (!fs.FileExists(batch)) return;
  (void)fs.ClearAttributes(batch);
  const FsStatus status = fs.DeleteFile(batch);
  in.Log(status == FsStatus::kOk ? "Ended the removal batch of an earlier uninstall: deleted " + batch
                                 : "Could not delete the removal batch of an earlier uninstall " + batch + ": " +
                                       Describe(status));
}

// Entries that would be placed outside the target folder are taken out and reported.
void RefuseEntriesOutsideTarget(Installer& in, ListPair& list, const std::string& target,
                                const char* listName) {
  for (const std::string& line : DropEntriesOutsideTarget(list.sources, list.destinations, target)) {
    in.Log(std::string("Refused line of ") + listName + " (outside the target folder): " + line);
    in.report.FailedFiles.push_back(line);
  }
}

// Every path the installation would create, and the records and the batch the uninstaller
// writes beside them, must be within what Windows can create, replace and remove. A target
// beyond it is refused before anything is created, as an unusable target is, and the window
// comes back for another folder.
bool PathsFit(Installer& in, const InstallLists& lists, const std::string& target) {
  StringList folders = lists.folders.destinations;
  folders.push_back(target);
  StringList files = lists.files.destinations;
  if (in.space.CDDBSelected) {
    for (const std::string_view file : lists.cddb.destinations) files.push_back(file);
  }
  for (const char* own : {"TUNOVAR\\runtime\\defile", "TUNOVAR\\runtime\\deinst.bat"}) files.push_back(target + own);
  const std::optional<PathTooLong> tooLong = FirstPathTooLong(folders, files);
  if (!tooLong) return true;
  const std::string why = "The target folder " + target + " is too long: the path " + tooLong->path + " would need " +
                          DecimalText(static_cast<std::int64_t>(tooLong->length)) + " characters, and Windows can " +
                          "handle at most " + DecimalText(static_cast<std::int64_t>(tooLong->limit)) +
                          ". Please choose a shorter folder.";
  in.EnableControls();
  in.ShowProgress(0, true);
  // Said in the box, and unattended on standard error and in the log.
  (void)in.Message(kSpaceTitle, why, MessageButtons::kOk, MessageAnswer::kOk);
  return false;
}

// From the full figure, so that the bar also advances for 2048 MB or more; with 0 the
// division is not made and PercentPerByte keeps its value.
void SetPercentPerByte(Installer& in, std::int64_t requiredBytes) {
  if (requiredBytes != 0) in.progress.PercentPerByte = static_cast<float>(100.0 / static_cast<double>(requiredBytes));
}

void CopyProgramFiles(Installer& in, const ListPair& files, StringList& removalList) {
  in.progress.LongestEventGapMs = 0;
  in.progress.LastEventPointMs.reset();
  in.CopyListedFiles(files.sources, files.destinations, &removalList);
}

void CopyCddbFiles(Installer& in, ListPair& cddb, const std::string& target, StringList& removalList) {
  if (in.space.CDDBSelected) {
    RefuseEntriesOutsideTarget(in, cddb, target, "dbfiles");
    in.CopyListedFiles(cddb.sources, cddb.destinations, &removalList);
  } else {
    in.Log("CDDB files not chosen: not copied");
  }
  in.Log("Longest time between two event points while copying: " + DecimalText(in.progress.LongestEventGapMs) +
         " ms");
}

// Written after all copying, so that the list names the CDDB files too; the removal journal
// named everything up to here.
void WriteRemovalList(Installer& in, const std::string& target, const StringList& removalList,
                      const StringList& folders) {
  const std::string removalListPath = target + "TUNOVAR\\runtime\\defile";
  const std::vector<std::string>& failed = in.report.FailedRecords;
  const std::ptrdiff_t failedBefore = static_cast<std::ptrdiff_t>(failed.size());
  in.WriteUninstallRecord(removalListPath, removalList, target);
  in.AppendFolderEntries(removalListPath, folders);
  in.SettleRemovalJournal(removalListPath,
                          std::find(failed.begin() + failedBefore, failed.end(), removalListPath) == failed.end());
}

void RegisterUninstaller(Installer& in, const std::string& target) {
  const std::string uninstaller = target + "tunovar\\runtime\\deinstal.exe";
  const UninstallEntry entry{uninstaller, kUninstallerName, kProductVersion, KilobytesOf(in.report.InstalledBytes)};
  const bool registered = in.platform().shell.RegisterUninstaller(entry);
  in.placing.registered = registered;
  in.Log((registered ? "Uninstaller registered: " : "Uninstaller not registered: ") + uninstaller);
}

// The target folder must exist as a folder before anything is placed or recorded: a target
// that names a file, or lies below one, would leave records, a group and an uninstall entry
// that point at nothing. In the window the user may then choose another folder; unattended,
// the run ends as not done. False when the sequence goes no further.
bool RequireTargetFolder(Installer& in, const std::string& target) {
  if (!in.FolderExists(target)) in.CreateFolderPath(target);
  if (in.platform().fs.FolderExists(target)) return true;
  in.Log("The target folder cannot be created: " + target);
  in.EnableControls();
  in.ShowProgress(0, true);
  (void)in.Message("Error", "The target folder " + target + " could not be created.", MessageButtons::kOk,
                   MessageAnswer::kOk);
  if (in.Silent()) in.EndProgram(kExitIncomplete);
  return false;
}

// What could not be placed or recorded, for the box titled "Error".
std::string FailuresText(const RunReport& report) {
  std::string text;
  if (!report.FailedFiles.empty()) text = PathListText("These files could not be installed:", report.FailedFiles);
  if (!report.FailedRecords.empty()) {
    if (!text.empty()) text += std::string(kCrLf) + std::string(kCrLf);
    text += PathListText("These install records could not be written completely:", report.FailedRecords);
  }
  return text;
}

// After a failure the run is no success: the box titled "Error" names what is missing and the
// run ends without the success question. The records of what was placed stay, so that the
// uninstaller can remove a partial installation.
void CloseInstallation(Installer& in, const std::string& target) {
  in.EnableControls();
  in.ShowProgress(0, true);
  // A Cancel or an interrupt that came after the last pause ends the run here, before anything
  // says it is done.
  in.DoEvents();
  const RunReport& report = in.report;
  if (!report.FailedFiles.empty() || !report.FailedRecords.empty()) {
    (void)in.Message("Error", FailuresText(report), MessageButtons::kOk, MessageAnswer::kOk);
    in.Log("Installation incomplete: " + DecimalText(static_cast<std::int64_t>(report.FailedFiles.size())) +
           " files could not be placed, " + DecimalText(static_cast<std::int64_t>(report.FailedRecords.size())) +
           " records not written");
    in.EndProgram(kExitIncomplete);
  }
  const MessageAnswer answer = in.Message(in.Text(in.texts.LangIndex, TextSlot::kTitle),
                                          in.Text(in.texts.LangIndex, TextSlot::kStartNow),
                                          MessageButtons::kYesNo, MessageAnswer::kNo);
  if (answer == MessageAnswer::kYes) {
    (void)in.platform().shell.Open(target + "TUNOVAR\\tunOVAR.exe", "", target + "TUNOVAR",
                                   ShowMode::kNormal);
  }
  in.Log("Installation done");
  in.EndProgram(kExitDone);
}

// The uninstaller this installation places, where it lies on Windows and on Linux.
bool UninstallerPlaced(FileSystem& fs, const std::string& target) {
  const std::string uninstaller = target + "TUNOVAR\\runtime\\deinstal";
  return fs.FileExists(uninstaller + ".exe") || fs.FileExists(uninstaller);
}

}  // namespace

std::string Installer::LeaveCancelledInstallation(const std::string& how) {
  const std::string& target = placing.target;
  if (target.empty()) return "";
  const bool recorded = placing.listWritten || (placing.journal != nullptr && !placing.journal->Failed());
  // The user looks for a partial installation where installations are found: the uninstall
  // entry, which leads to the uninstaller that removes what the record names.
  if (recorded && !placing.registered && UninstallerPlaced(platform_.fs, target)) RegisterUninstaller(*this, target);
  std::string text = "The installation was cancelled (" + how + ") before it was finished. What it placed stays in " +
                     target;
  if (!recorded) return text + ", without a list of it.";
  if (!placing.registered) return text + "; install again to finish it: its uninstaller then removes everything.";
  return text + ": the uninstaller " + target + "tunovar\\runtime\\deinstal.exe removes it, or install again to finish it.";
}

void Installer::RunInstallation() {
  Log("Installation started");
  GetWindowsDir();
  StartCompanion(*this);
  const std::int64_t requiredBytes = NoteRequiredBytes(*this);
  const std::optional<std::string> resolved = TargetFolder(*this);
  if (!resolved || !EnoughSpace(*this, requiredBytes)) return;
  const std::string& target = *resolved;
  BeginProgress(*this);
  Log("Target folder " + target);
  InstallLists lists = ReadInstallLists(*this, target);
  RefuseEntriesOutsideTarget(*this, lists.folders, target, "filedir");
  RefuseEntriesOutsideTarget(*this, lists.files, target, "filelist");
  if (!PathsFit(*this, lists, target)) return;

  // A Cancel or an interrupt that came while the lists were read ends the run before it has
  // changed anything.
  DoEvents();
  EndWaitingRemovalBatch(*this, target);
  if (!RequireTargetFolder(*this, target)) return;
  BeginRemovalJournal(target);
  StringList removalList;
  CreateListedFolders(lists.folders.destinations, &removalList);
  SetPercentPerByte(*this, requiredBytes);
  CopyProgramFiles(*this, lists.files, removalList);
  // After the program files, before the CDDB files.
  WriteWindowsFolderRecord(*this, target);
  CopyCddbFiles(*this, lists.cddb, target, removalList);
  WriteRemovalList(*this, target, removalList, lists.folders.destinations);
  CreateProgramGroup(target);
  RegisterUninstaller(*this, target);
  CloseInstallation(*this, target);
}

}  // namespace tunovar
