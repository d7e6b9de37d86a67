// The window object Installer: the state of one run, in named parts, and every procedure of
// the installer.
//
// Procedures and members keep the names the system gives them. Each group of procedures below
// is implemented in the file named above it. Pure procedures (text in, text out) are free
// functions in their own headers; what touches the shared state is a member here. Views and
// main see a run only as an InstallerRun (installer/installer_run.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/group_file.h"
#include "formats/list_file.h"
#include "formats/removal_journal.h"
#include "platform/platform.h"
#include "installer/command_line.h"
#include "installer/installer_run.h"
#include "formats/installer_texts.h"
#include "installer/form.h"

namespace tunovar {

// The installer runs from "TUNOVAR\runtime\" on the CD: its folder less this many characters
// is the CD root, which the list files and the group's on-CD items are relative to.
inline constexpr std::size_t kRuntimeFolderLength = 16;

// Thrown by EndProgram to unwind every procedure at once; caught where the view or main
// delivered the event, never across a platform call.
struct ProgramEnd {
  int code;
};

// ---- The state of a run, in named parts -----------------------------------------------------

// The program's folder and the system's folders (startup/startup.cpp, install/system_paths.cpp).
struct SystemFolders {
  std::string AppPath;
  std::string WinDir;
  std::string SysDir;
  std::string SysDirCopy;
};

// The installer texts and the languages (startup/texts.cpp, startup/language.cpp).
struct TextsAndLanguages {
  std::int32_t LanguageCount = 0;
  TextTableType TextTable{};
  std::int32_t LangIndex = 0;
};

// The target drive, its space and the space required (window/path_box.cpp).
struct TargetAndSpace {
  std::int32_t FreeMB = 0;
  std::string InstDrive;
  bool CDDBSelected = false;
  std::int32_t RequiredMB = 0;
};

// The progress bar and the copying's pauses for events (install/progress.cpp,
// install/copying.cpp).
struct Progress {
  float ProgressValue = 0;
  std::int32_t ProgressPercent = 0;
  float PercentPerByte = 0;
  std::int32_t RequiredBytes = 0;
  // The longest time in ms between two points where the copying let events run, for the log:
  // how long the window went without answering while files were copied.
  std::uint32_t LongestEventGapMs = 0;
  std::optional<std::uint32_t> LastEventPointMs;
};

// What the run has to report: the code of the last file read, what could not be done.
struct RunReport {
  std::int32_t ErrorCode = 0;
  // Files that could not be placed, and list entries refused as leaving the target folder;
  // shown in a box titled "Error" before the closing question.
  std::vector<std::string> FailedFiles;
  // Install records ("ovrituno.inf", "defile") that could not be written completely.
  std::vector<std::string> FailedRecords;
  // The bytes of the listed files as they lie in the target once copied (placed by this run,
  // or kept as newer than their source): the installed size the uninstall entry states.
  std::uint64_t InstalledBytes = 0;
  // Entries of the removal list passed over as lying outside the installation.
  std::vector<std::string> PassedOverEntries;
  // Files and folders of the installation that the uninstaller could not act on or leave to
  // its batch; they are named as staying.
  std::vector<std::string> StayingEntries;
  // Files of the product stay after the uninstall (or its removal list is missing).
  bool RemovalIncomplete = false;
  // The removal batch could not be started: what it was to remove stays.
  bool BatchNotStarted = false;
};

// The installation under way, from its first folder on (install/records.cpp): the record of
// what it has placed, which a run that ends early leaves behind, and its uninstall entry.
struct Placing {
  std::string target;                       // "" until the installation makes its first folder
  std::unique_ptr<RemovalJournal> journal;  // open from the runtime folder on until "defile" is whole
  bool journalTried = false;                // the journal was begun, or could not be
  bool listWritten = false;                 // "defile" is written whole
  bool registered = false;                  // the uninstall entry names the installed uninstaller
};

class Installer final : public InstallerRun {
 public:
  Installer(Platform& platform, LaunchInfo launch, Switches switches = {});
  Installer(const Installer&) = delete;
  Installer& operator=(const Installer&) = delete;

  // ---- Running the object (installer/installer.cpp) -----------------------------------------
  bool Start() override;
  // Catches the end of the program.
  void Deliver(Ctl control, Event event) override;
  void DeliverTypedText(const std::string& text) override;
  void DeliverKey(Key key) override;  // (window/keyboard.cpp)
  void DeliverPress(FocusStop stop) override;
  void DeliverFocus(FocusStop stop) override;
  void RequestEnd() override;
  void Interrupt(std::string_view what) override;
  [[nodiscard]] bool Ended() const override { return ended_; }
  [[nodiscard]] int ExitCodeOfRun() const override { return exitCode_; }
  [[nodiscard]] Form& Window() { return form_; }
  [[nodiscard]] const Form& Window() const override { return form_; }
  void ObserveWindow(FormObserver* observer) override { form_.SetObserver(observer); }
  void LogUnexpected(std::string_view what) noexcept override;
  [[nodiscard]] const Switches& Options() const { return switches_; }

  // Ends the program at once: every file of the run is closed as the stack unwinds.
  [[noreturn]] void EndProgram(int code);
  // Ends the program at once as cancelled (Cancel, the window closed, an interrupt): says so
  // in the log and, unattended, on standard error, leaving what was placed recorded; how says
  // what ended it ("by the user").
  [[noreturn]] void EndCancelled(const std::string& how);
  [[nodiscard]] bool UninstallMode() const;
  // Lets queued window events run; ends here when one of them ended the program.
  void DoEvents();

  // ---- The state, in its named parts --------------------------------------------------------
  SystemFolders folders;
  TextsAndLanguages texts;
  TargetAndSpace space;
  Progress progress;
  ProgramGroup group;  // (install/program_group.cpp)
  RunReport report;
  Placing placing;
  // The removal list, held open from its reading to the end of an uninstall run.
  std::unique_ptr<FileHold> RemovalListHold;

  // ---- startup/startup.cpp ------------------------------------------------------------------
  void Form_Load();
  void Timer1_Timer();

  // ---- startup/language.cpp -----------------------------------------------------------------
  [[nodiscard]] std::int32_t GetSystemLanguage();

  // ---- install/read_list_file.cpp -----------------------------------------------------------
  // Appends the pairs of a list file; 1 when it could not be read to its end (corrupted), else 0.
  std::int32_t ReadListFile(const std::string& listPath, StringList& sources,
                            StringList& destinations, const std::string& destPrefix);

  // ---- startup/texts.cpp --------------------------------------------------------------------
  [[nodiscard]] std::int32_t ReadInstallerTexts(const std::string& path);
  void ShowLanguageCaptions(std::int32_t langIndex);
  void UpdateInfoText(std::int32_t langIndex);
  // TextTable(section, slot), or "" for an index outside the table.
  [[nodiscard]] const std::string& Text(std::int32_t section, TextSlot slot) const;

  // ---- startup/window_init.cpp --------------------------------------------------------------
  void InitInstallerWindow();

  // ---- window/image_buttons.cpp -------------------------------------------------------------
  void Up_P_MouseDown();
  void TextTimerUp_Timer();
  void Down_P_MouseDown();
  void TextTimerDown_Timer();
  void Help_P_MouseDown();
  void HelpTimer_Timer();
  void CDDB_a_Click();
  void CDDB_p_Click();
  void Label_Install_Click();
  void Label_Cancel_Click();
  void EnableControls();
  void DisableControls();
  void ShowPressedLanguage(Ctl timer, Ctl normal, Ctl active);

  // ---- window/path_box.cpp ------------------------------------------------------------------
  void Text_InstPath_Change();
  void Text_InstPath_DblClick();
  void UpdateTargetDrive();
  // Sets the text of Text_InstPath from code; when the text changes, its change handler runs
  // once, synchronously.
  void SetInstPathText(const std::string& text);

  // ---- window/browse_dialog.cpp -------------------------------------------------------------
  void Browse_P_MouseDown();
  void BrowseTargetFolder();

  // ---- install/installation.cpp -------------------------------------------------------------
  void RunInstallation();
  // What a cancelled installation leaves: its uninstaller registered where it was placed and
  // a record names what was placed. The text that says so; "" when no installation placed
  // anything.
  std::string LeaveCancelledInstallation(const std::string& how);

  // ---- install/copying.cpp ------------------------------------------------------------------
  void RequireFile(const std::string& path);
  [[noreturn]] void ShowFatalError(std::int32_t code, const std::string& info);
  void CreateListedFolders(const StringList& folderList, StringList* record);
  void CopyListedFiles(const StringList& sources, const StringList& destinations,
                       StringList* record);
  bool XFileCopy(const std::string& quelle, const std::string& ziel);
  void CopyFileInBlocks(const std::string& source, const std::string& dest,
                        std::optional<std::int64_t> length, std::optional<std::int64_t> blockSize);
  void CreateFolderPath(const std::string& folder);
  [[nodiscard]] bool FolderExists(const std::string& path);

  // ---- install/records.cpp ------------------------------------------------------------------
  void WriteUninstallRecord(const std::string& listPath, const StringList& entries,
                            const std::string& destPrefix = "");
  void AppendFolderEntries(const std::string& listPath, const StringList& folderList);
  // The removal journal (formats/removal_journal.h): begun for target's installation, opened
  // once the runtime folder exists (foldersMade: the listed folders made so far), an entry
  // noted before each folder and file is placed, and settled once "defile" is written: deleted
  // when it is whole, else kept in its place.
  void BeginRemovalJournal(const std::string& target);
  void OpenRemovalJournal(const StringList& foldersMade);
  void NotePlacing(std::string_view path, bool folder);
  void SettleRemovalJournal(const std::string& listPath, bool listWhole);

  // ---- install/progress.cpp -----------------------------------------------------------------
  void ShowProgress(float step, bool finished);

  // ---- install/system_paths.cpp -------------------------------------------------------------
  void GetWindowsDir();
  void GetSysDir();
  [[nodiscard]] bool WindowExists(const std::string& className, const std::string& title);
  [[nodiscard]] std::string GetShortPath(const std::string& path);
  [[nodiscard]] std::string GetLongPath(const std::string& path);

  // ---- uninstall/uninstallation.cpp ---------------------------------------------------------
  void RunUninstall();
  bool CloseWindowByTitle(const std::string& className, const std::string& title);
  void WaitKill(const std::string& pfad);

  // ---- install/read_group_file.cpp ----------------------------------------------------------
  // 0 when read, 1 when corrupted (an announced item is missing, or a read error).
  std::int32_t ReadGroupFile(const std::string& path);

  // ---- install/program_group.cpp ------------------------------------------------------------
  void CreateProgramGroup(const std::string& installFolder);
  void DeleteProgramGroup();
  DdeStatus PerformDDE();  // the answer to the command, after any asking again

  // ---- startup/unattended.cpp: the switches after the window's initialisation ---------------
  // /LANG=, /NOCDDB and /D= act as the user would in the window (with or without /S).
  void ApplyStartSwitches();
  // A silent install: Install is clicked.
  void RunUnattendedInstall();

  // ---- Unattended runs and the log (installer/installer.cpp) --------------------------------
  [[nodiscard]] bool Silent() const { return switches_.silent; }
  // A message box; in a silent run its title and text go to standard error and the log and
  // silentAnswer comes back at once.
  MessageAnswer Message(const std::string& title, const std::string& text,
                        MessageButtons buttons, MessageAnswer silentAnswer);
  void Log(const std::string& line);

  Platform& platform() { return platform_; }
  [[nodiscard]] const LaunchInfo& Launch() const { return launch_; }

 private:
  Platform& platform_;
  LaunchInfo launch_;
  Switches switches_;
  Form form_;
  bool ended_ = false;
  int exitCode_ = kExitDone;
};

}  // namespace tunovar
