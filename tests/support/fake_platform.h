// A fake platform for tests: an in-memory file system with Windows path rules, a shell and a
// window system that record every call and answer from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/fake_clock.h"

namespace tunovar::testing {

// ---- File system ------------------------------------------------------------------------

struct FakeNode {
  bool folder = false;
  std::string name;  // the last component, in the case it was created with
  std::string bytes;
  LocalDateTime time{2026, 1, 1, 12, 0, 0};
  bool readOnly = false;
  bool hidden = false;
  bool locked = false;  // held open by another process: cannot be deleted or replaced
};

class FakeFileSystem : public FileSystem {
 public:
  FakeFileSystem();  // drive C: exists and is empty

  // Set-up for tests
  void AddDrive(char letter, std::int64_t freeMb = 1000);
  void SetFreeMb(char letter, std::int64_t freeMb);
  // Creates the file and all missing folders above it.
  void PutFile(const std::string& path, const std::string& bytes,
               LocalDateTime time = {2026, 1, 1, 12, 0, 0});
  void PutFolder(const std::string& path);  // with its parents
  FakeNode* Find(const std::string& path);
  [[nodiscard]] bool Has(const std::string& path) { return Find(path) != nullptr; }
  [[nodiscard]] std::string Content(const std::string& path);
  // Every entry below (and including) a folder, as full paths in stored case, sorted.
  [[nodiscard]] std::vector<std::string> Tree(const std::string& folder = "");
  // Paths for which reading, writing or committing fails.
  std::set<std::string> failReads;
  // Paths (upper case) whose reading gives this many bytes and then fails.
  std::map<std::string, std::size_t> breakReadsAfter;
  std::set<std::string> failWrites;
  // Paths (upper case) of text files that fill the disk at this many bytes: a write beyond
  // them writes what fits and fails.
  std::map<std::string, std::size_t> diskFullAt;
  // Paths (upper case) that exist but cannot be opened for reading (no permission).
  std::set<std::string> failOpens;
  // Count of Write calls made on replacements, by destination (upper case).
  std::map<std::string, int> writeCalls;
  // Count of Sync calls made on text files, by path (upper case).
  std::map<std::string, int> syncs;
  // Every mutating call, in order ("CreateFolder C:\A", "Delete C:\x", ...).
  std::vector<std::string> journal;
  // Files held open with HoldOpen that are still held.
  std::set<std::string> held;

  // FileSystem
  bool FileExists(const std::string& path) override;
  bool EntryExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<std::uint64_t> FileLength(const std::string& path) override;
  std::optional<LocalDateTime> LastWriteTime(const std::string& path) override;
  FsStatus ClearAttributes(const std::string& path) override;
  FsStatus CreateFolder(const std::string& path) override;
  FsStatus RemoveFolder(const std::string& path) override;
  FsStatus DeleteFile(const std::string& path) override;
  std::optional<std::string> ReadWholeFile(const std::string& path) override;
  std::unique_ptr<ByteReader> OpenForReading(const std::string& path) override;
  std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& destination) override;
  std::unique_ptr<TextFileWriter> OpenForWriting(const std::string& path, WriteMode mode) override;
  std::unique_ptr<FileHold> HoldOpen(const std::string& path) override;
  std::vector<std::string> ListFiles(const std::string& pattern) override;
  std::optional<std::string> DriveName(char letter) override;
  std::optional<std::int64_t> FreeMegabytes(int driveNumber) override;

  // Key of a path: upper case, no trailing "\" (a root keeps "X:").
  static std::string Key(const std::string& path);
  static std::string Parent(const std::string& key);

 private:
  FakeNode* ParentFolder(const std::string& path);
  std::map<std::string, FakeNode> nodes_;
  std::map<char, std::int64_t> drives_;
};

// ---- Shell ------------------------------------------------------------------------------

class FakeShell : public Shell {
 public:
  // Every call, in order: "Open <file>|<params>|<folder>|<show>",
  // "DDE <service>|<topic>|<cmd>|<connect limit>|<limit>", "Link <path>|<target>|<folder>",
  // "Register <path>|<name>", "Unregister", "FindWindow <class>|<title>", "SendClose"; in a
  // FakePlatform also the clock's "Sleep <ms>".
  std::vector<std::string> calls;
  std::vector<std::string> ddeCommands;  // the command strings alone
  std::vector<std::string> opened;       // the files opened alone

  int openResult = 42;
  std::function<int(const std::string& file)> onOpen;  // overrides openResult when set
  DdeStatus ddeResult = DdeStatus::kDone;
  std::deque<DdeStatus> ddeResults;  // the answers of the first calls, in order; then ddeResult
  // Set, an answer takes the time it would: a conversation held up its connect limit, an
  // unanswered command its limit.
  FakeClock* clock = nullptr;
  // The Start Menu's Programs folders; nullopt: the system has none.
  std::optional<std::string> machinePrograms =
      std::string("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
  std::optional<std::string> userPrograms =
      std::string("C:\\Users\\Anna\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs");
  bool administrator = false;
  // CreateShellLink writes the link into fs as "target|folder" when its folder exists.
  bool linksWork = true;
  bool registered = false;
  std::string registeredPath, registeredName, registeredVersion;
  std::uint32_t registeredSizeKb = 0;
  // Windows that exist: class|title -> how many WM_CLOSE it takes to close it (-1: never).
  std::map<std::string, int> windows;
  std::uint16_t langId = 0x0409;
  bool dosBased = true;
  // The batch's code page: nullopt for a text it cannot hold; unset, the ANSI bytes as they are.
  std::function<std::optional<std::string>(std::string_view)> batchCodePage;
  bool batchStarts = true;  // StartBatch's answer
  std::optional<std::string> windowsDirectory = std::string("C:\\WINDOWS");
  std::optional<std::string> systemDirectory = std::string("C:\\WINDOWS\\system32");
  std::map<std::string, std::string> shortNames;  // by upper-case path
  std::map<std::string, std::string> longNames;
  bool shortNamesEqualPath = true;  // a path without an entry in shortNames converts to itself
  FakeFileSystem* fs = nullptr;     // for "a missing path gives """
  bool otherInstance = false;

  int Open(const std::string& file, const std::string& parameters,
           const std::string& workingFolder, ShowMode show) override;
  DdeStatus DdeExecute(const std::string& service, const std::string& topic,
                       const std::string& command, int connectMs, int timeoutMs) override;
  std::optional<std::string> ProgramsFolder(ProgramsScope scope) override {
    return scope == ProgramsScope::kMachine ? machinePrograms : userPrograms;
  }
  bool RunsAsAdministrator() override { return administrator; }
  bool CreateShellLink(const std::string& linkPath, const std::string& target,
                       const std::string& workingFolder) override;
  bool RegisterUninstaller(const UninstallEntry& entry) override;
  bool UnregisterUninstaller() override;
  std::optional<WindowRef> FindTopWindow(const std::string& cls, const std::string& title) override;
  void SendClose(WindowRef window) override;
  std::uint16_t SystemDefaultLangId() override { return langId; }
  bool DosBasedWindows() override { return dosBased; }
  std::optional<std::string> BatchBytes(std::string_view ansi) override {
    return batchCodePage ? batchCodePage(ansi) : std::optional<std::string>(std::string(ansi));
  }
  bool StartBatch(const std::string& batchName, const std::string& workingFolder) override;
  std::optional<std::string> WindowsDirectory() override { return windowsDirectory; }
  std::optional<std::string> SystemDirectory() override { return systemDirectory; }
  std::string ShortPathName(const std::string& path) override;
  std::string LongPathName(const std::string& path) override;
  bool AnotherInstanceRunning() override { return otherInstance; }

 private:
  std::vector<std::string> windowKeys_;  // WindowRef - 1 indexes this
};

// ---- Window system and console ------------------------------------------------------------

struct ShownMessage {
  std::string title;
  std::string text;
  MessageButtons buttons;
};

class FakeFolderPicker;

class FakeUi : public Ui {
 public:
  std::vector<ShownMessage> messages;
  std::deque<MessageAnswer> answers;  // next answers; empty: OK / Yes
  std::function<void(const ShownMessage&)> onMessage;
  int pumps = 0;
  std::function<void()> onPump;  // runs inside PumpEvents (a click while copying, ...)
  float twipsPerPixel = 15.0f;
  // The folder chooser: nullopt answers Cancel.
  bool pickerAvailable = true;
  std::optional<std::string> pickerChoice;
  std::set<std::string> pickerFolders;  // folders that Preselect accepts (upper case); empty: any
  std::vector<std::string> pickerCalls;

  MessageAnswer ShowMessage(const std::string& title, const std::string& text,
                            MessageButtons buttons) override;
  std::unique_ptr<FolderPicker> CreateFolderPicker() override;
  void PumpEvents() override;
  float TwipsPerPixelY() override { return twipsPerPixel; }
  int otherInstanceShown = 0;
  void ShowOtherInstance() override { ++otherInstanceShown; }
};

class FakeConsole : public Console {
 public:
  std::vector<std::string> errors;
  std::vector<std::string> log;
  std::vector<int> bar;
  void WriteError(std::string_view line) override { errors.emplace_back(line); }
  void WriteLog(std::string_view line) override { log.emplace_back(line); }
  void ShowProgressBar(int percent) override { bar.push_back(percent); }
  [[nodiscard]] bool Logged(std::string_view part) const;
};

// The five fakes as one platform; the clock's sleeps are noted among the shell's calls.
struct FakePlatform {
  FakeFileSystem fs;
  FakeShell shell;
  FakeUi ui;
  FakeConsole console;
  FakeClock clock;
  Platform platform{fs, shell, ui, console, clock};
  FakePlatform() {
    shell.fs = &fs;
    shell.clock = &clock;
    clock.journal = &shell.calls;
  }
};

}  // namespace tunovar::testing
