// The uninstall sequence RunUninstall as named steps, the closing of the product's window and
// the retrying delete. What may be removed is decided by the rules of uninstall/removal_rules.h.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/ansi_text.h"
#include "base/windows_path.h"
#include "base/path_limits.h"
#include "formats/removal_journal.h"
#include "formats/removal_list.h"
#include "installer/installer.h"
#include "formats/text_file.h"
#include "base/path_list_text.h"
#include "uninstall/files_that_stay.h"
#include "uninstall/removal_batch.h"
#include "uninstall/removal_rules.h"

namespace tunovar {
namespace {

constexpr const char* kUninstallTitle = "Ovri TUNOVAR Deinstallation";
constexpr const char* kProductWindowClass = "window 0";
constexpr const char* kProductWindowTitle = "Ovri TUNOVAR";

// The shell reports success by a value above 32.
constexpr int kShellOpenOk = 32;

bool IsSection(std::int32_t index) { return index >= 0 && index < kSections; }

// Said where the texts have no section to say it in (the text file is gone): an empty box would
// ask nothing.
constexpr const char* kQuestionWithoutTexts =
    "Do you want to remove TUNOVAR and all of its components from your computer?";
constexpr const char* kRemovedWithoutTexts = "TUNOVAR has been removed from your computer.";

// The installer texts, for the question and the closing message; corrupted texts end here.
void ReadTexts(Installer& in) {
  const std::string textPath = in.folders.AppPath + "insttext";
  in.report.ErrorCode = in.ReadInstallerTexts(textPath);
  if (in.report.ErrorCode != 0) in.ShowFatalError(in.report.ErrorCode, textPath);
}

// Nothing has been changed up to the answer; No leaves the installation whole. The question
// is asked in the language the installation recorded, as the closing message is; in section
// 0 when the texts have no such section. Without texts and without a removal list there is
// nothing here to remove (the CD, a folder whose uninstall has run): that is said, in English
// for want of texts, and nothing is changed.
void AskToUninstall(Installer& in, const std::optional<std::int32_t>& recorded, bool listHere) {
  if (in.texts.LanguageCount == 0 && !listHere) {
    (void)in.Message(kUninstallTitle,
                     "No installation of TUNOVAR was found in " + in.folders.AppPath +
                         ": its removal list (defile) and its texts (insttext) are missing. Nothing was changed.",
                     MessageButtons::kOk, MessageAnswer::kOk);
    in.EndProgram(kExitFatalFile);
  }
  const std::int32_t section =
      recorded && *recorded >= 0 && *recorded < in.texts.LanguageCount ? *recorded : in.texts.LangIndex;
  const std::string question =
      in.texts.LanguageCount == 0 ? kQuestionWithoutTexts : in.Text(section, TextSlot::kUninstallQuestion);
  if (in.Message(kUninstallTitle, question, MessageButtons::kYesNo, MessageAnswer::kYes) != MessageAnswer::kYes) {
    in.Log("Uninstall declined; nothing changed");
    in.EndProgram(kExitDeclined);
  }
}

// The removal list, held open from its reading until the program ends: block e of the batch
// waits for it, and so the batch deletes nothing of the runtime folder before this program
// has let go of its own files. It is read whole before anything is removed; a list that cannot
// be read to its end or is too long to be real ends the program as corrupted. A missing list
// has no entries.
RemovalList HoldAndReadRemovalList(Installer& in, const std::string& listPath) {
  FileSystem& fs = in.platform().fs;
  if (in.RemovalListHold == nullptr) in.RemovalListHold = fs.HoldOpen(listPath);
  const std::unique_ptr<LineSource> lines = OpenTextLines(fs, listPath);
  if (!lines) {
    in.Log("Removal list not readable: " + listPath);
    return {};
  }
  RemovalList list = ParseRemovalList(*lines);
  if (list.code != 0) in.ShowFatalError(list.code, listPath);
  return list;
}

// The removal list of an installation that did not complete, in the lines "defile" would hold:
// what its journal names, with what a "defile" beside it names (a run ended while it wrote
// "defile" leaves both). None where there is no journal or it names nothing; a journal that
// cannot be read whole, or no installation wrote, ends the program as corrupted.
std::optional<RemovalList> ReadJournalAsList(Installer& in, const std::string& journalPath,
                                             const std::string& listPath, std::optional<std::string>& listText) {
  JournalAsList journal = ReadRemovalJournal(in.platform().fs, journalPath, listPath);
  if (journal.code != 0) in.ShowFatalError(journal.code, journalPath);
  if (!journal.text) return std::nullopt;
  in.Log("The journal of an installation that did not complete names what it placed: " + journalPath);
  BytesLines lines(*journal.text);
  RemovalList list = ParseRemovalList(lines);
  if (list.code != 0) in.ShowFatalError(list.code, journalPath);
  listText = std::move(journal.text);
  return list;
}

// The journal's list becomes "defile" (replacing one cut short), held as a completed
// installation's is (block e of the batch waits for it), and the journal goes: the
// uninstallation goes on as after a completed installation, and a run that is killed on its
// way leaves "defile" naming everything.
void TakeOverJournal(Installer& in, const std::string& listPath, const std::string& journalPath,
                     const std::optional<std::string>& listText) {
  if (!listText) return;
  FileSystem& fs = in.platform().fs;
  in.RemovalListHold.reset();
  (void)fs.ClearAttributes(listPath);
  std::unique_ptr<TextFileWriter> writer = fs.OpenForWriting(listPath, WriteMode::kReplace);
  const bool written = writer && writer->Write(*listText) && writer->Sync();
  writer.reset();
  if (!written) {
    // The journal stays the record; what is removed now is what it names.
    in.Log("Could not write " + listPath + " from the journal; the journal stays: " + journalPath);
    return;
  }
  in.RemovalListHold = fs.HoldOpen(listPath);
  in.Log("Removal list written from the journal: " + listPath);
  (void)fs.ClearAttributes(journalPath);
  const FsStatus status = fs.DeleteFile(journalPath);
  in.Log(status == FsStatus::kOk ? "Deleted the removal journal " + journalPath
                                 : "Could not delete the removal journal " + journalPath + ": " + Describe(status));
}

// The help index of the running help viewer: it is no entry of the removal list.
void DeleteHelpIndex(Installer& in, const std::string& installDir) {
  if (installDir.empty()) return;
  FileSystem& fs = in.platform().fs;
  const std::string gid = installDir + "\\tunodoc.gid";
  const bool existed = fs.FileExists(gid);
  (void)fs.ClearAttributes(gid);
  in.WaitKill(gid);
  if (existed) in.Log((fs.FileExists(gid) ? "Could not delete " : "Deleted ") + gid);
}

// The uninstall entry and the Windows-folder record, once nothing of the installation stays.
// Returns the record when it could not be deleted: it is part of what stays.
std::vector<std::string> DeleteRecords(Installer& in) {
  FileSystem& fs = in.platform().fs;
  in.Log(in.platform().shell.UnregisterUninstaller() ? "Uninstall entry removed" : "No uninstall entry to remove");
  const std::string record = in.folders.WinDir + "ovrituno.inf";
  const FsStatus status = fs.DeleteFile(record);
  if (status == FsStatus::kOk) {
    in.Log("Deleted " + record);
    return {};
  }
  // Whatever the answer said, the record is gone or it stays.
  if (!fs.FileExists(record)) return {};
  in.Log("Could not delete " + record + ": " + Describe(status));
  return {record};
}

// Line 1 of the list is the language of the installation.
void TakeRecordedLanguage(Installer& in, const std::optional<std::int32_t>& language) {
  if (language) in.texts.LangIndex = *language;
  // A recorded language without a section of its own shows no text; nothing may index
  // outside the table for it.
  if (IsSection(in.texts.LangIndex)) {
    in.UpdateInfoText(in.texts.LangIndex);
  } else {
    in.Log("Recorded language " + DecimalText(in.texts.LangIndex) + " has no section");
  }
}

void CloseRunningProduct(Installer& in) {
  if (!in.WindowExists(kProductWindowClass, kProductWindowTitle)) return;
  in.Log("Closing the running product");
  if (in.CloseWindowByTitle(kProductWindowClass, kProductWindowTitle)) {
    in.Log("The product's window is still open");
  }
}

// The short forms of the files the seven waiting blocks of "deinst.bat" wait for, taken
// before any entry is removed; "" where a block waits for nothing. A block's file that the
// batch could never delete makes it wait for nothing and stays.
std::array<std::string, kFixedWaitBlocks.size()> PlanFixedBlocks(Installer& in, const std::string& installDir) {
  FileSystem& fs = in.platform().fs;
  std::array<std::string, kFixedWaitBlocks.size()> shortPaths;
  for (std::size_t i = 0; i < kFixedWaitBlocks.size(); ++i) {
    const std::string path = FixedBlockPath(kFixedWaitBlocks[i], in.folders.AppPath, installDir);
    if (path.empty()) continue;
    shortPaths[i] = in.GetShortPath(path);
    if (shortPaths[i].empty()) continue;
    if (fs.FolderExists(path)) {
      // "del" never deletes a folder and "if exist" finds it: the block would wait for ever.
      in.Log("Stays, a folder where the batch waits for a file: " + path);
      in.report.StayingEntries.push_back(path);
      shortPaths[i].clear();
    } else {
      // A read-only file would keep its block waiting for ever.
      (void)fs.ClearAttributes(path);
    }
  }
  return shortPaths;
}

// "deinst.bat" with its seven waiting blocks. Without a removal list this folder holds no
// installation (the CD, a copy of it): a batch here would delete the installer's own files,
// so none is written. Where the removal list stays, block e waits for nothing.
RemovalBatchWriter BeginBatch(Installer& in, const std::string& batchPath, bool listHere,
                              std::array<std::string, kFixedWaitBlocks.size()> shortPaths, bool keepList) {
  Shell& shell = in.platform().shell;
  RemovalBatchWriter batch(listHere ? in.platform().fs.OpenForWriting(batchPath, WriteMode::kReplace) : nullptr,
                           [&shell](std::string_view text) { return shell.BatchBytes(text); });
  if (!listHere) {
    in.Log("No removal list beside the program; no batch is written");
  } else if (!batch.IsOpen()) {
    in.Log("Could not create " + batchPath);
  }
  for (std::size_t i = 0; i < kFixedWaitBlocks.size(); ++i) {
    if (keepList && kFixedWaitBlocks[i].name == "defile") shortPaths[i].clear();
    (void)batch.WriteFixedBlock(kFixedWaitBlocks[i].label, shortPaths[i]);
  }
  if (batch.IsOpen()) in.Log("Batch: the seven waiting blocks written");
  return batch;
}

enum class BatchLine { kFolder, kRunningProgram };

// What the entries leave once each has been acted on: lines for the batch in the order of the
// list, and the uninstaller's texts and group file, which go last and only when nothing else
// stays. The running uninstaller's line is dropped where anything stays.
struct EntryOutcome {
  std::vector<std::pair<std::string, BatchLine>> forBatch;
  std::vector<std::string> ownFiles;
};

// A batch line for what is still there, with its short form (the path itself when the system
// gives none for it).
void LeaveToBatch(Installer& in, RemovalBatchWriter& batch, const std::string& path, BatchLine kind) {
  // The batch's "del" and "rd" do not touch a read-only, hidden or system entry.
  (void)in.platform().fs.ClearAttributes(path);
  const std::string shortForm = in.GetShortPath(path);
  const std::string& operand = shortForm.empty() ? path : shortForm;
  std::optional<std::string> line;
  switch (kind) {
    case BatchLine::kFolder: line = batch.AddFolderLine(operand); break;
    // The batch may reach this line as soon as the program has let go of its removal list,
    // while the system still holds the program's own image for a moment: a single "del"
    // would then fail and leave it.
    case BatchLine::kRunningProgram: line = batch.AddWaitingBlock(kRunningProgramLabel, operand); break;
  }
  if (!line) {
    in.Log("No batch line for a name the batch cannot carry: " + path);
  } else if (batch.IsOpen()) {
    in.Log("Batch: " + line->substr(0, line->size() - kCrLf.size()));
  }
}

// Where the entry really lies once links and junctions on the way are resolved; its last name
// is never followed (a link there is removed as a link). An entry whose folder cannot be
// resolved is acted on only when nothing is there, where its removal does nothing.
bool ReallyInside(FileSystem& fs, const InstallationBounds& bounds, const std::string& path) {
  const std::string entry = WithoutTrailingBackslash(path);
  const auto real = fs.RealLocation(entry);
  if (!real) return !fs.EntryExists(path) && !fs.FolderExists(path);
  return LiesReallyInside(bounds, entry, *real);
}

// The files a later uninstall needs besides itself: its texts and the group file.
bool IsOwnFile(const Installer& in, const std::string& path) {
  const std::string& app = in.folders.AppPath;
  return EqualsNoCase(path, app + "insttext") || EqualsNoCase(path, app + "group");
}

// A hidden or system file is no file to the lookups of the sequence: it is made an ordinary
// one, so that it is removed like the others.
void MakeOrdinary(Installer& in, const std::string& path) {
  FileSystem& fs = in.platform().fs;
  if (fs.FileExists(path) || !fs.EntryExists(path) || fs.FolderExists(path)) return;
  if (fs.ClearAttributes(path) == FsStatus::kOk) in.Log("Made an ordinary file: " + path);
}

// Deleted, retried for a moment; what is still there then stays.
void DeleteOrSayItStays(Installer& in, const std::string& path) {
  FileSystem& fs = in.platform().fs;
  MakeOrdinary(in, path);
  const bool existed = fs.FileExists(path);
  in.WaitKill(path);
  if (!fs.FileExists(path)) {
    if (existed) in.Log("Deleted " + path);
    return;
  }
  in.Log("Stays, it could not be deleted (another program may hold it): " + path);
  in.report.StayingEntries.push_back(path);
}

// One entry of the removal list: removed at once, left to the batch or for last, named as
// staying, or passed over.
void RemoveEntry(Installer& in, const RemovalEntry& entry, const InstallationBounds& bounds, EntryOutcome& outcome) {
  FileSystem& fs = in.platform().fs;
  const std::string path(entry.path);
  // The long form only decides where the path as written does not lie inside (the list
  // holds the paths as the installation wrote them): it is asked for only then.
  const bool named = LiesInside(bounds, path, {}) || LiesInside(bounds, path, in.GetLongPath(path));
  if (named && !ReallyInside(fs, bounds, path)) {
    in.Log("Stays, it leads out of the installation through a link or junction: " + path);
    in.report.StayingEntries.push_back(path);
    return;
  }
  // The system's file functions cannot reach such a path: it would look gone when it is not.
  if (named && FilePathTooLong(WithoutTrailingBackslash(path))) {
    in.Log("Stays, a path too long for the system's file functions: " + path);
    in.report.StayingEntries.push_back(path);
    return;
  }
  switch (StepOfEntry(entry, named)) {
    case EntryStep::kPassOver:
      in.Log("Passed over, outside the installation: " + std::string(entry.line));
      in.report.PassedOverEntries.emplace_back(entry.line);
      return;
    case EntryStep::kRemoveFolder: {
      const FsStatus status = fs.RemoveFolder(path);
      if (status == FsStatus::kOk) in.Log("Removed folder " + path);
      if (!fs.FolderExists(path)) return;
      in.Log("Could not remove folder " + path + ": " + Describe(status));
      outcome.forBatch.emplace_back(WithoutTrailingBackslash(path), BatchLine::kFolder);
      return;
    }
    case EntryStep::kKeepForBatch:
      in.Log("Kept for the batch: " + path);
      return;
    case EntryStep::kDeleteFile:
      if (NamesRunningProgram(path, in.folders.AppPath, in.Launch().exeBaseName)) {
        // It goes only with the batch, after this run has ended: a run that is killed on its
        // way leaves a way to uninstall what is still there.
        MakeOrdinary(in, path);
        if (fs.FileExists(path)) {
          outcome.forBatch.emplace_back(WithoutTrailingBackslash(path), BatchLine::kRunningProgram);
        }
      } else if (IsOwnFile(in, path)) {
        outcome.ownFiles.push_back(path);
      } else {
        DeleteOrSayItStays(in, path);
      }
      return;
  }
}

// The uninstaller's own files, once nothing else stays: a later uninstall needs them, and the
// running uninstaller, while anything does.
void RemoveOwnFiles(Installer& in, EntryOutcome& outcome) {
  const bool somethingStays = !in.report.StayingEntries.empty();
  for (const std::string& path : outcome.ownFiles) {
    if (somethingStays) {
      in.Log("Kept for a later uninstall: " + path);
    } else {
      DeleteOrSayItStays(in, path);
    }
  }
  if (in.report.StayingEntries.empty()) return;
  std::erase_if(outcome.forBatch, [&in](const auto& line) {
    if (line.second != BatchLine::kRunningProgram) return false;
    in.Log("Kept for a later uninstall: " + line.first);
    return true;
  });
}

// The last line with the folder chain; every file but the held list is closed before the
// batch starts. True when the batch may be started.
bool FinishBatch(Installer& in, RemovalBatchWriter& batch, const std::string& parent, bool listHere) {
  const ChainJoin join = in.platform().shell.DosBasedWindows() ? ChainJoin::kPipe : ChainJoin::kAmpersand;
  const std::string lastLine = batch.WriteLastLine(parent, join);
  if (batch.IsOpen()) in.Log("Batch: " + lastLine);
  const bool startBatch = batch.Complete();
  batch.Close();
  if (listHere && !startBatch) in.Log("The batch is incomplete and is not started");
  return startBatch;
}

// "Removed" is said only when nothing of the product stays: an installation whose removal
// list is missing, or was cut short when it was written (a full disk), leaves files that no
// entry names. Entries passed over are named either way: nothing was done to them.
void SayRemoved(Installer& in, const std::vector<std::string>& staying, const std::string& missingList,
                bool recordsKept) {
  std::string passedOver;
  if (!in.report.PassedOverEntries.empty()) {
    passedOver = "\r\n\r\n" + PathListText("These entries of the removal list lie outside the installation and "
                                             "were left untouched:",
                                             in.report.PassedOverEntries);
  }
  if (!missingList.empty() || !staying.empty()) {
    in.report.RemovalIncomplete = true;
    for (const std::string& path : staying) in.Log("Stays: " + path);
    std::string text =
        missingList.empty()
            ? PathListText("TUNOVAR could not be removed completely. These files stay:", staying)
            : "TUNOVAR could not be removed completely: the removal list " + missingList +
                  " is missing, so no installed file was removed.";
    if (recordsKept) {
      text += "\r\n\r\nThe uninstaller and its removal list stay, so that the uninstall can be run again once "
              "these files can be removed.";
    }
    (void)in.Message(kUninstallTitle, text + passedOver, MessageButtons::kOk, MessageAnswer::kOk);
    return;
  }
  if (in.texts.LanguageCount == 0) {
    (void)in.Message(kUninstallTitle, kRemovedWithoutTexts + passedOver, MessageButtons::kOk, MessageAnswer::kOk);
  } else if (IsSection(in.texts.LangIndex)) {
    (void)in.Message(kUninstallTitle, in.Text(in.texts.LangIndex, TextSlot::kUninstallDone) + passedOver,
                     MessageButtons::kOk, MessageAnswer::kOk);
  }
}

// True when the shell started the file.
bool Started(Installer& in, const std::string& name, int result) {
  if (result > kShellOpenOk) {
    in.Log("Started " + name + " (" + DecimalText(result) + ")");
    return true;
  }
  in.Log("Could not start " + name + " (" + DecimalText(result) + ")");
  return false;
}

// Starts the batch; true when it runs. On DOS-based Windows the program information file
// runs it without a window. Elsewhere, and where the shell cannot open that file, the batch
// is started directly: NT-family Windows would need a DOS machine to read the file, which it
// may lack (64-bit Windows), offer to install with a dialog (later 32-bit ones) or answer
// with success and run nothing (Wine).
bool StartBatch(Installer& in) {
  Shell& shell = in.platform().shell;
  const std::string folder = WithoutTrailingBackslash(in.folders.AppPath);
  if (shell.DosBasedWindows() &&
      Started(in, "deinst.pif", shell.Open(in.folders.AppPath + "deinst.pif", "", folder, ShowMode::kHidden))) {
    return true;
  }
  if (shell.StartBatch("deinst.bat", folder)) {
    in.Log("Started deinst.bat");
    return true;
  }
  in.Log("Could not start deinst.bat");
  in.report.BatchNotStarted = true;
  return false;
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

void Installer::WaitKill(const std::string& pfad) {
  Clock& clock = platform_.clock;
  FileSystem& fs = platform_.fs;
  const std::uint32_t start = clock.TimeMs();
  // Retries as fast as it can for at most 800 ms: the file may be let go of by its owner
  // (the product, the help viewer) a moment after it was asked to close.
  for (;;) {
    if (!fs.FileExists(pfad)) return;
    (void)fs.ClearAttributes(pfad);
    (void)fs.DeleteFile(pfad);
    if (clock.TimeMs() - start > 800) return;
  }
}

void Installer::RunUninstall() {
  GetWindowsDir();
  const RuntimeFolders runtime = FoldersOfRuntime(folders.AppPath);
  ReadTexts(*this);
  const std::string listPath = folders.AppPath + "defile";
  const std::string journalPath = folders.AppPath + std::string(kRemovalJournalName);
  std::optional<std::string> journalListText;
  std::optional<RemovalList> journalList = ReadJournalAsList(*this, journalPath, listPath, journalListText);
  // An installation lies here when it left a removal list, or a journal of one.
  const bool listHere = journalList.has_value() || platform_.fs.FileExists(listPath);
  const RemovalList removalList = journalList ? std::move(*journalList) : HoldAndReadRemovalList(*this, listPath);
  AskToUninstall(*this, removalList.language, listHere);
  TakeOverJournal(*this, listPath, journalPath, journalListText);
  journalListText.reset();

  DeleteHelpIndex(*this, runtime.installDir);
  TakeRecordedLanguage(*this, removalList.language);
  CloseRunningProduct(*this);

  const std::array<std::string, kFixedWaitBlocks.size()> blocks = PlanFixedBlocks(*this, runtime.installDir);
  Log("Deleting the program group");
  DeleteProgramGroup();
  InstallationBounds bounds = BoundsOfInstallation(
      runtime.target, runtime.target.empty() ? "" : GetShortPath(runtime.target),
      runtime.target.empty() ? "" : GetLongPath(runtime.target));
  if (const auto real = runtime.target.empty() ? std::nullopt : platform_.fs.RealLocation(runtime.target)) {
    bounds.realTarget = WithTrailingBackslash(*real);
  }
  EntryOutcome outcome;
  for (const RemovalEntry& entry : removalList.entries) {
    // A Cancel or an interrupt ends the run between two entries: the list and the records
    // stay for a rerun.
    DoEvents();
    RemoveEntry(*this, entry, bounds, outcome);
  }
  RemoveOwnFiles(*this, outcome);
  // What stays is known now: the records go only when nothing does, so that a later uninstall
  // finds the list, its texts and its entry in the system while anything of the product is left.
  std::vector<std::string> staying;
  const bool recordsKept = listHere && !report.StayingEntries.empty();
  if (recordsKept) {
    Log("The removal list, the Windows-folder record and the uninstall entry stay for what stays");
  } else {
    staying = DeleteRecords(*this);
  }

  // The batch starts before the closing message, so that the message can say whether it runs.
  // It deletes nothing of this folder before this program has ended: its block e waits for
  // the removal list, which this program holds open to its end. Where the list stays, the
  // batch's lines meet only what a later uninstall does not need.
  const std::string batchPath = folders.AppPath + "deinst.bat";
  RemovalBatchWriter batch = BeginBatch(*this, batchPath, listHere, blocks, recordsKept);
  for (const auto& [path, kind] : outcome.forBatch) LeaveToBatch(*this, batch, path, kind);
  const bool batchRuns = FinishBatch(*this, batch, runtime.parent, listHere) && StartBatch(*this);

  // The installed uninstaller without its list: the installation could not write it.
  const bool installedWithoutList = !listHere && EqualsNoCase(launch_.exeBaseName, "deinstal");
  if (listHere) {
    const std::vector<std::string> inFolders =
        FilesThatStay(platform_.fs, folders.AppPath, runtime.installDir, removalList, batchRuns);
    staying.insert(staying.end(), inFolders.begin(), inFolders.end());
    // What the batch was to remove but could not name stays as well.
    if (batchRuns) staying.insert(staying.end(), batch.Uncarried().begin(), batch.Uncarried().end());
  }
  staying.insert(staying.end(), report.StayingEntries.begin(), report.StayingEntries.end());
  SayRemoved(*this, staying, installedWithoutList ? listPath : std::string(), recordsKept);
  if (report.BatchNotStarted) {
    Log("Uninstall done; the batch did not start, so what it would remove is still there");
  } else {
    Log(report.PassedOverEntries.empty() && !report.RemovalIncomplete
            ? "Uninstall done"
            : "Uninstall done; entries outside the installation passed over, or files stay");
  }
}

}  // namespace tunovar
