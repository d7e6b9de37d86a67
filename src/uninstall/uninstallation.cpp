// The uninstall sequence RunUninstall and the closing of the product's window.
//
// Folders, seen from the runtime folder AppPath (C:\Apps\TUNOVAR\TUNOVAR\runtime\):
//   InstallDir  AppPath less "\runtime\"        C:\Apps\TUNOVAR\TUNOVAR
//   parent      AppPath less "runtime\"         C:\Apps\TUNOVAR\TUNOVAR\   (the batch chain)
//   target      InstallDir less its last name   C:\Apps\TUNOVAR\           (the folder chosen
//               when installing; no entry of "defile" outside it is ever acted on)
//
// An entry lies inside when, letter case ignored, it or its long form (when it exists)
// begins with the target, or with the target's short or long form, and names something
// below it: the path typed when installing may have been short or long, and "defile" keeps
// it as typed. A component made of dots only ("..", ".", "...", ".. "; "/" separates
// components as "\" does) makes no entry inside, and the target itself is not inside (the
// last batch line removes it when it is empty). The installation never puts the product
// less than two folders below a drive root, so a target at a root ("X:\", "\") comes from a
// runtime folder moved by hand: with it, no entry counts as inside, or a tampered list could
// name anything on the drive.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "base/windows_path.h"
#include "install/removal_list.h"
#include "startup/installer.h"
#include "startup/text_file.h"
#include "uninstall/removal_batch.h"

namespace tunovar {
namespace {

constexpr const char* kUninstallTitle = "Ovri TUNOVAR Deinstallation";
constexpr const char* kProductWindowClass = "window 0";
constexpr const char* kProductWindowTitle = "Ovri TUNOVAR";

// The shell reports success by a value above 32.
constexpr int kShellOpenOk = 32;

bool IsSection(std::int32_t index) { return index >= 0 && index < kSections; }

// path names something below folder (folder ends in "\"); letter case ignored.
bool LiesBelow(std::string_view path, std::string_view folder) {
  if (folder.empty() || !StartsWithNoCase(path, folder)) return false;
  return path.substr(folder.size()).find_first_not_of('\\') != std::string_view::npos;
}

// The removal list, read whole before anything is removed; a list that cannot be read to its
// end or is too long to be real ends the program as corrupted. A missing list has no entries.
RemovalList ReadRemovalList(Installer& in, const std::string& listPath) {
  const std::unique_ptr<LineSource> lines = OpenTextLines(in.platform().fs, listPath);
  if (!lines) {
    in.Log("Removal list not readable: " + listPath);
    return {};
  }
  RemovalList list = ParseRemovalList(*lines);
  if (list.code != 0) in.ShowFatalError(list.code, listPath);
  return list;
}

// Line 1 of the list is the language of the installation.
void TakeRecordedLanguage(Installer& in, const std::optional<std::int32_t>& language) {
  if (language) in.LangIndex = *language;
  // A recorded language without a section of its own shows no text; nothing may index
  // outside the table for it.
  if (IsSection(in.LangIndex)) {
    in.UpdateInfoText(in.LangIndex);
  } else {
    in.Log("Recorded language " + DecimalText(in.LangIndex) + " has no section");
  }
}

}  // namespace

bool Installer::CloseWindowByTitle(const std::string& className, const std::string& title) {
  Shell& shell = platform_.shell;
  for (int attempt = 0; attempt < 10; ++attempt) {
    const auto window = shell.FindTopWindow(className, title);
    if (!window) break;
    shell.SendClose(*window);
    // Gives the product time to end after it has handled WM_CLOSE.
    platform_.clock.SleepMs(100);
  }
  return shell.FindTopWindow(className, title).has_value();
}

void Installer::RunUninstall() {
  FileSystem& fs = platform_.fs;
  Shell& shell = platform_.shell;

  GetWindowsDir();
  // A folder too short to be a runtime folder gives no InstallDir; nothing is built on it.
  const std::string installDir = DropRight(AppPath, 9).value_or(std::string());
  const std::string parent = DropRight(AppPath, 8).value_or(std::string());
  // The folder chosen when installing: InstallDir without its last component.
  std::string target = FolderOfPath(installDir);
  if (IsRootFolder(target)) target.clear();

  const std::string textPath = AppPath + "insttext";
  ErrorCode = ReadInstallerTexts(textPath);
  if (ErrorCode != 0) ShowFatalError(ErrorCode, textPath);

  // Nothing has been changed up to the answer; No leaves the installation whole.
  if (Message(kUninstallTitle, Text(LangIndex, TextSlot::kUninstallQuestion), MessageButtons::kYesNo,
              MessageAnswer::kYes) != MessageAnswer::kYes) {
    Log("Uninstall declined; nothing changed");
    EndProgram(kExitDeclined);
  }

  // The list is held open from its reading until the program ends: block e of the batch
  // waits for it, and so the batch deletes nothing of the runtime folder before this program
  // has let go of its own files.
  const std::string listPath = AppPath + "defile";
  const bool listHere = fs.FileExists(listPath);
  if (RemovalListHold == nullptr) RemovalListHold = fs.HoldOpen(listPath);
  const RemovalList removalList = ReadRemovalList(*this, listPath);

  if (!installDir.empty()) {
    const std::string gid = installDir + "\\tunodoc.gid";
    const bool existed = fs.FileExists(gid);
    (void)fs.ClearAttributes(gid);
    WaitKill(gid);
    if (existed) Log((fs.FileExists(gid) ? "Could not delete " : "Deleted ") + gid);
  }

  const std::string record = WinDir + "ovrituno.inf";
  if (fs.DeleteFile(record) == FsStatus::kOk) Log("Deleted " + record);

  TakeRecordedLanguage(*this, removalList.language);

  if (WindowExists(kProductWindowClass, kProductWindowTitle)) {
    Log("Closing the running product");
    if (CloseWindowByTitle(kProductWindowClass, kProductWindowTitle)) {
      Log("The product's window is still open");
    }
  }

  // Without a removal list this folder holds no installation (the CD, a copy of it): a
  // batch here would delete the installer's own files, so none is written or started.
  const std::string batchPath = AppPath + "deinst.bat";
  RemovalBatchWriter batch(listHere ? fs.OpenForWriting(batchPath, WriteMode::kReplace) : nullptr);
  if (!listHere) {
    Log("No removal list beside the program; no batch is written");
  } else if (!batch.IsOpen()) {
    Log("Could not create " + batchPath);
  }
  for (const FixedWaitBlock& block : kFixedWaitBlocks) {
    // Without an InstallDir the name would start at the root of the current drive, outside
    // anything installed: such a block waits for nothing, like one whose file is missing.
    const bool named = !block.inInstallDir || !installDir.empty();
    const std::string path = FixedBlockPath(block, AppPath, installDir);
    (void)batch.WriteFixedBlock(block.label, named ? GetShortPath(path) : std::string());
  }
  if (batch.IsOpen()) Log("Batch: the seven waiting blocks written");

  Log("Deleting the program group");
  DeleteProgramGroup();
  Log(shell.UnregisterUninstaller() ? "Uninstall entry removed" : "No uninstall entry to remove");

  // Forms of the target folder an entry may start with: as found from AppPath, and its
  // short and long forms, since the path typed when installing may have been either.
  std::vector<std::string> targetForms;
  if (!target.empty()) {
    targetForms.push_back(target);
    for (const std::string& form : {GetShortPath(target), GetLongPath(target)}) {
      if (!form.empty()) targetForms.push_back(WithTrailingBackslash(form));
    }
  }
  auto insideTarget = [&](const std::string& path) {
    if (HasDotsComponent(path)) return false;
    std::vector<std::string> forms{path};
    if (std::string longForm = GetLongPath(path); !longForm.empty()) forms.push_back(longForm);
    for (const std::string& form : forms) {
      for (const std::string& t : targetForms) {
        if (LiesBelow(form, t)) return true;
      }
    }
    return false;
  };

  // A short form that cannot be had for a path still present: the path itself serves.
  auto shortOrSelf = [&](const std::string& path) {
    std::string s = GetShortPath(path);
    return s.empty() ? path : s;
  };
  auto logLine = [&](const std::optional<std::string>& line, const std::string& path) {
    if (!line) {
      Log("No batch line for a name the batch cannot carry: " + path);
    } else if (batch.IsOpen()) {
      Log("Batch: " + line->substr(0, line->size() - kCrLf.size()));
    }
  };

  for (const RemovalEntry& removal : removalList.entries) {
    const std::string& entry = removal.line;
    const bool folderEntry = removal.folder;
    std::string path = removal.path;
    if (!insideTarget(path)) {
      Log("Passed over, outside the installation: " + entry);
      PassedOverEntries.push_back(entry);
      continue;
    }
    if (folderEntry) {
      if (fs.RemoveFolder(path) == FsStatus::kOk) Log("Removed folder " + path);
      if (!fs.FolderExists(path)) continue;
      path = WithoutTrailingBackslash(path);
      logLine(batch.AddFolderLine(shortOrSelf(path)), path);
      continue;
    }
    // The batch and its program information file must survive until the batch runs.
    if (ContainsNoCase(path, "runtime\\deinst.pif") ||
        ContainsNoCase(path, "runtime\\deinst.bat")) {
      Log("Kept for the batch: " + path);
      continue;
    }
    const bool existed = fs.FileExists(path);
    WaitKill(path);
    if (!fs.FileExists(path)) {
      if (existed) Log("Deleted " + path);
      continue;
    }
    path = WithoutTrailingBackslash(path);
    logLine(batch.AddFileLine(shortOrSelf(path)), path);
  }

  const std::string lastLine = batch.WriteLastLine(parent);
  if (batch.IsOpen()) Log("Batch: " + lastLine);
  // Every file but the held list is closed before the batch starts.
  const bool startBatch = batch.Complete();
  batch.Close();
  if (listHere && !startBatch) Log("The batch is incomplete and is not started");

  if (IsSection(LangIndex)) {
    (void)Message(kUninstallTitle, Text(LangIndex, TextSlot::kUninstallDone), MessageButtons::kOk,
                  MessageAnswer::kOk);
  }

  if (startBatch) {
    const std::string folder = AppPath.substr(0, AppPath.size() - 1);
    const int result = shell.Open(AppPath + "deinst.pif", "", folder, ShowMode::kHidden);
    Log("Started deinst.pif (" + DecimalText(result) + ")");
    if (result <= kShellOpenOk) {
      // No DOS machine to read the program information file (64-bit Windows, Wine): the
      // batch is run directly, as the file would have run it.
      const int direct = shell.Open(batchPath, "", folder, ShowMode::kHidden);
      Log("Started deinst.bat (" + DecimalText(direct) + ")");
    }
  }
  Log(PassedOverEntries.empty() ? "Uninstall done"
                                : "Uninstall done; entries outside the installation passed over");
}

}  // namespace tunovar
