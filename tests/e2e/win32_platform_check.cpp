// A check of the Win32 back-end's system side on a real Windows API (run under Wine): the
// file system's temporary files and links (its contract is the FileSystem suite's,
// file_system_suite_win32.cpp), path forms, system folders, the clock, the instance mutex, the
// uninstall entry, windows of another process, ShellExecuteA, the console, DDE with servers of
// its own (one that answers, one that refuses, one that stalls, a hung window) and with Program
// Manager, and the Start Menu's links. Every wait for another process polls what it can see,
// for up to 30 s.
//
// Usage: win32_platform_check [--expect-lang=HEX] [--no-dde]   the whole check; prints one
//                                                              PASS or FAIL line per check,
//                                                              exit code 0 when all pass
//        win32_platform_check --lang-only --expect-lang=HEX    the language identifier only
//        win32_platform_check --unregister                     removes the uninstall entry
//                                                              that the check leaves behind
// The other modes are the child processes the check starts itself.
#include <dde.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/code_page_win32.h"
#include "platform/win32/console_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/shell_links_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/win32.h"
#include "win32_remove_tree.h"

using namespace tunovar;
using namespace tunovar::win32;

namespace {

int failures = 0;
// Said before each check while the back-end objects are those of the oldest system.
std::string checkContext;

bool Check(bool ok, const std::string& what) {
  std::printf("%s %s%s\n", ok ? "PASS" : "FAIL", checkContext.c_str(), what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
  return ok;
}

const char* Name(FsStatus s) {
  switch (s) {
    case FsStatus::kOk: return "kOk";
    case FsStatus::kNotFound: return "kNotFound";
    case FsStatus::kAccessDenied: return "kAccessDenied";
    case FsStatus::kInUse: return "kInUse";
    case FsStatus::kDiskFull: return "kDiskFull";
    case FsStatus::kExists: return "kExists";
    case FsStatus::kNotEmpty: return "kNotEmpty";
    case FsStatus::kInvalidPath: return "kInvalidPath";
    case FsStatus::kIoError: return "kIoError";
  }
  return "?";
}

void CheckStatus(FsStatus got, FsStatus want, const std::string& what) {
  Check(got == want, what + " -> " + Name(got) + (got == want ? "" : std::string(", want ") + Name(want)));
}

std::string SelfPath() {
  char path[MAX_PATH];
  const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

// Starts this program again with arguments; stdErr, when given, becomes the child's
// standard error. Returns the process handle.
win32::UniqueHandle StartSelf(const std::string& arguments, HANDLE stdErr = nullptr) {
  std::string commandLine = "\"" + SelfPath() + "\" " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (stdErr != nullptr) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = nullptr;
    si.hStdError = stdErr;
  }
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, stdErr != nullptr, 0,
                        nullptr, nullptr, &si, &pi)) {
    return win32::UniqueHandle();
  }
  ::CloseHandle(pi.hThread);
  return win32::UniqueHandle(pi.hProcess);
}

// Waits for a process; its exit code, or -1 when it did not end within the limit.
int WaitExit(const win32::UniqueHandle& process, DWORD limitMs) {
  if (!process || ::WaitForSingleObject(process.get(), limitMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

// Polls condition every 50 ms until it holds, for up to 30 s.
constexpr DWORD kPatienceMs = 30000;

template <typename Condition>
bool Eventually(Condition condition) {
  const ULONGLONG deadline = ::GetTickCount64() + kPatienceMs;
  while (!condition()) {
    if (::GetTickCount64() > deadline) return false;
    ::Sleep(50);
  }
  return true;
}

bool WaitFor(bool (*condition)(const std::string&), const std::string& arg) {
  return Eventually([&] { return condition(arg); });
}

bool FolderThere(const std::string& p) {
  const DWORD a = ::GetFileAttributesA(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
bool FolderGone(const std::string& p) { return ::GetFileAttributesA(p.c_str()) == INVALID_FILE_ATTRIBUTES; }
bool FileThere(const std::string& p) { return ::GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

using tunovar::testing::RemoveTree;

bool WriteText(Win32FileSystem& fs, const std::string& path, WriteMode mode, const std::string& text) {
  auto writer = fs.OpenForWriting(path, mode);
  return writer != nullptr && writer->Write(text);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string RegString(HKEY root, const char* value) {
  char data[1024];
  DWORD size = sizeof data;
  if (::RegGetValueA(root, kUninstallKey, value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return "<missing>";
  }
  return data;
}

// ---- Checks ---------------------------------------------------------------------------------

// "2024-05-06 07:08:09 text"
bool StampedLine(const std::string& line, const std::string& text) {
  const std::string form = "dddd-dd-dd dd:dd:dd ";  // as LogLineText writes it on every back-end
  if (line.size() != form.size() + text.size()) return false;
  for (std::size_t i = 0; i < form.size(); ++i) {
    if (form[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(line[i])) : line[i] != form[i]) return false;
  }
  return line.substr(form.size()) == text;
}

const std::string kBase = "C:\\tnvcheck";

// What only this back-end has: the names of its temporary files, and the links the system
// makes. The rest of the file system's contract is checked by the FileSystem suite that every
// implementation runs (tests/e2e/file-system-suite.sh).
// links: whether the file system sees links (the oldest system's has none).
void CheckFiles(Win32FileSystem& fs, bool links = true) {
  RemoveTree(kBase);
  const std::string base = kBase + "\\";
  CheckStatus(fs.CreateFolder(base), FsStatus::kOk, "CreateFolder C:\\tnvcheck\\");
  {
    auto r = fs.CreateReplacement(base + "dest.txt");
    Check(r != nullptr && r->Write("lost", 4), "an abandoned replacement written");
    Check(fs.ListFiles(base + "~tv*.tmp").size() == 1, "its temporary file lies beside the destination");
  }
  Check(fs.ListFiles(base + "~tv*.tmp").empty(), "abandoned: no temporary file left");
  // A killed run's temporary files: gone before the next replacement in their folder, and no
  // hindrance to removing a folder that holds nothing else.
  for (const char* folder : {"stale1\\", "stale2\\"}) {
    ::CreateDirectoryA((base + folder).c_str(), nullptr);
    (void)WriteText(fs, base + folder + "~tv1a2b3.tmp", WriteMode::kReplace, "half a copy");
  }
  {
    auto r = fs.CreateReplacement(base + "stale1\\x.txt");
    Check(r != nullptr && r->Write("x", 1) && r->Commit("") == FsStatus::kOk, "a replacement beside a killed run's file");
  }
  Check(fs.ListFiles(base + "stale1\\~tv*.tmp").empty(), "the killed run's temporary file went before it");
  CheckStatus(fs.RemoveFolder(base + "stale2"), FsStatus::kOk, "RemoveFolder of a folder with only a killed run's file");

  // A symbolic link to a folder outside: its real location is where it leads, and neither the
  // attribute change nor the removal of the link reaches through it.
  const std::string outside = kBase + "-outside";
  RemoveTree(outside);
  ::CreateDirectoryA(outside.c_str(), nullptr);
  (void)WriteText(fs, outside + "\\keep.txt", WriteMode::kReplace, "keep");
  ::SetFileAttributesA((outside + "\\keep.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  // Wine 8 answers success and makes nothing: only a link that is there is checked.
  (void)(::CreateSymbolicLinkA((base + "link").c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
         ::CreateSymbolicLinkA((base + "link").c_str(), outside.c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE));
  if (links && FileThere(base + "link")) {
    const auto real = fs.RealLocation(base + "link\\keep.txt");
    Check(real && EqualsNoCase(*real, outside + "\\keep.txt"), "RealLocation through the link -> " + real.value_or("none"));
    Check(fs.ClearAttributes(base + "link") != FsStatus::kOk &&
              (::GetFileAttributesA((outside + "\\keep.txt").c_str()) & FILE_ATTRIBUTE_READONLY) != 0,
          "ClearAttributes of the link changes nothing where it leads");
    CheckStatus(fs.RemoveFolder(base + "link"), FsStatus::kOk, "RemoveFolder of the link removes the link");
    Check(FileThere(outside + "\\keep.txt"), "what the link led to stays");
  } else if (links) {
    std::printf("NOTE  CreateSymbolicLinkA makes no link here: links are checked through host links only\n");
  } else {
    Check(fs.RealLocation(base + "link\\keep.txt") == std::optional<std::string>(base + "link\\keep.txt"),
          "RealLocation: a path lies where it is written");
  }
  ::SetFileAttributesA((outside + "\\keep.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveTree(outside);
}

void CheckPaths(Win32Shell& shell, Win32FileSystem& fs) {
  const std::string longFolder = kBase + "\\A long folder name";
  CheckStatus(fs.CreateFolder(longFolder), FsStatus::kOk, "a folder with a long name");
  Check(WriteText(fs, longFolder + "\\Some long file name.txt", WriteMode::kReplace, "x"), "a file with a long name");
  const std::string shortForm = shell.ShortPathName(longFolder + "\\Some long file name.txt");
  Check(!shortForm.empty() && shortForm.find(' ') == std::string::npos && shortForm.find('~') != std::string::npos,
        "ShortPathName gives an 8.3 form: " + shortForm);
  const std::string longForm = shell.LongPathName(shortForm);
  Check(Upper(longForm) == Upper(longFolder + "\\Some long file name.txt"), "LongPathName turns it back: " + longForm);
  const std::string withSlash = shell.ShortPathName(longFolder + "\\");
  Check(!withSlash.empty() && withSlash.back() == '\\', "ShortPathName keeps a trailing \\: " + withSlash);
  Check(shell.ShortPathName(kBase + "\\missing\\x.txt").empty() && shell.LongPathName(kBase + "\\missing").empty(),
        "a missing path gives \"\"");
  Check(shell.ShortPathName("").empty(), "an empty path gives \"\"");
  Check(shell.ShortPathName("C:\\" + std::string(1200, 'a')).empty(), "a path over the capacity gives \"\"");

  const auto windows = shell.WindowsDirectory();
  Check(windows && Upper(*windows) == "C:\\WINDOWS", "WindowsDirectory: " + windows.value_or("none"));
  const auto system = shell.SystemDirectory();
  Check(system && Upper(*system) == "C:\\WINDOWS\\SYSTEM32", "SystemDirectory: " + system.value_or("none"));

}

void CheckClock() {
  Win32Clock clock;
  const std::uint32_t t0 = clock.TimeMs();
  clock.SleepMs(100);
  const std::uint32_t elapsed = clock.TimeMs() - t0;
  Check(elapsed >= 50, "TimeMs across SleepMs(100): " + std::to_string(elapsed) + " ms");
}

void CheckInstance(Win32Shell& shell) {
  Check(!shell.AnotherInstanceRunning(), "the first instance finds no other");
  Check(!shell.AnotherInstanceRunning(), "asking again keeps the answer");
  Win32Shell second;
  Check(second.AnotherInstanceRunning(), "a second claim in this process finds the first");
  Check(WaitExit(StartSelf("--instance-probe"), kPatienceMs) == 5, "another process finds the first instance");
}

void CheckInstanceNames() {
  // A name the system refuses (a namespace it does not have, as Windows 95 and NT 4 refuse any
  // "\\") gives way to the next one, and that one is held.
  Win32Shell first(ThisSystem(), {"NoSuchNamespace\\OvriTUNOVARCheck", "OvriTUNOVARCheck"});
  Check(!first.AnotherInstanceRunning(), "a refused instance name gives way to the next");
  Win32Shell second(ThisSystem(), {"OvriTUNOVARCheck"});
  Check(second.AnotherInstanceRunning(), "and that name is held");
}

// The fallbacks for what Windows 95 and NT 4 lack, taken on this system: the same results.
void CheckAsOnTheOldestSystem() {
  checkContext = "[oldest system] ";
  Win32FileSystem fs(OldestSystem());
  Win32Shell shell(OldestSystem());
  CheckFiles(fs, false);
  // Times come from the folder's listing, and a drive's root is in none (a case the other
  // implementations answer with the root folder's time).
  Check(!fs.LastWriteTime("C:\\").has_value(), "a drive root has no time");
  CheckPaths(shell, fs);
  Check(shell.LongPathName(shell.ShortPathName(kBase + "\\A long folder name\\")) ==
            kBase + "\\A long folder name\\",
        "LongPathName keeps a trailing \\");
  Check(shell.DosBasedWindows(), "DosBasedWindows follows the system's calls");
  checkContext.clear();
}

void CheckRegistry(Win32Shell& shell) {
  const std::string path = "C:\\Apps\\TUNOVAR\\tunovar\\runtime\\deinstal.exe";
  const UninstallEntry entry{path, "Ovri TUNOVAR - Deinstallation", "1.0.0.0", 5121};
  Check(!shell.RegisterUninstaller({"", "x", "1", 1}) && !shell.RegisterUninstaller({path, "", "1", 1}),
        "an empty path or name is refused");
  Check(shell.RegisterUninstaller(entry), "RegisterUninstaller");
  Check(RegString(HKEY_LOCAL_MACHINE, "DisplayVersion") == "1.0.0.0", "DisplayVersion");
  DWORD size = 0;
  DWORD sizeBytes = sizeof size;
  const bool sizeRead = ::RegGetValueA(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", RRF_RT_REG_DWORD, nullptr,
                                      &size, &sizeBytes) == ERROR_SUCCESS;
  Check(sizeRead && size == 5121, "EstimatedSize is a REG_DWORD of the KB: " + std::to_string(size));
  Check(RegString(HKEY_LOCAL_MACHINE, "DisplayName") == "Ovri TUNOVAR - Deinstallation", "DisplayName under HKLM");
  Check(RegString(HKEY_LOCAL_MACHINE, "UninstallString") == "\"" + path + "\"", "UninstallString is the quoted path");
  Check(RegString(HKEY_LOCAL_MACHINE, "QuietUninstallString") == "\"" + path + "\" /S", "QuietUninstallString");
  Check(RegString(HKEY_LOCAL_MACHINE, "InstallLocation") == "C:\\Apps\\TUNOVAR\\tunovar",
        "InstallLocation: " + RegString(HKEY_LOCAL_MACHINE, "InstallLocation"));
  Check(RegString(HKEY_LOCAL_MACHINE, "Publisher") == "Ovri", "Publisher");
  Check(shell.UnregisterUninstaller(), "UnregisterUninstaller");
  Check(RegString(HKEY_LOCAL_MACHINE, "DisplayName") == "<missing>", "the entry is gone");
  Check(!shell.UnregisterUninstaller(), "UnregisterUninstaller with nothing to remove");
  // Left for the script to read with "reg query", then removed with --unregister.
  Check(shell.RegisterUninstaller(entry), "RegisterUninstaller again");
}

constexpr const char* kWindowClass = "TnvCheckWindow";
constexpr const char* kWindowTitle = "Ovri TUNOVAR check";

void CheckWindows(Win32Shell& shell) {
  Check(!shell.FindTopWindow(kWindowClass, kWindowTitle), "FindTopWindow before the window exists");
  const win32::UniqueHandle child = StartSelf("--window");
  std::optional<WindowRef> found;
  Eventually([&] { return (found = shell.FindTopWindow(kWindowClass, kWindowTitle)).has_value(); });
  Check(found.has_value(), "FindTopWindow finds another process's window");
  Check(!shell.FindTopWindow("", "") && !shell.FindTopWindow(kWindowClass, ""), "empty strings are passed as empty strings");
  if (found) shell.SendClose(*found);
  Check(WaitExit(child, kPatienceMs) == 0, "SendClose closes it and the process ends");
  shell.SendClose(0);
}

void CheckOpen(Win32Shell& shell, Win32FileSystem& fs) {
  const std::string bat = kBase + "\\run.bat";
  const std::string marker = kBase + "\\ran.txt";
  Check(WriteText(fs, bat, WriteMode::kReplace, "@echo ran> ran.txt\r\n"), "a batch file to open");
  const int result = shell.Open(bat, "", kBase, ShowMode::kHidden);
  Check(result > 32, "Open of a .bat: " + std::to_string(result));
  Check(WaitFor(FileThere, marker), "the batch ran in its working folder");
  Check(shell.Open(kBase + "\\missing.bat", "", kBase, ShowMode::kNormal) == 2, "Open of a missing file gives 2");
  Check(shell.Open("", "", kBase, ShowMode::kNormal) == 2, "Open of an empty name gives 2");

  // The uninstaller's batch: started by the interpreter itself, named from its folder.
  const std::string started = kBase + "\\started.txt";
  Check(WriteText(fs, kBase + "\\go.bat", WriteMode::kReplace, "@echo started> started.txt\r\n"), "a batch file to start");
  Check(shell.StartBatch("go.bat", kBase), "StartBatch starts the interpreter");
  Check(WaitFor(FileThere, started), "the started batch ran in its working folder");
  Check(!shell.StartBatch("", kBase), "StartBatch of an empty name starts nothing");
  // Wine is of the NT family, whichever Windows version it reports.
  Check(!shell.DosBasedWindows(), "DosBasedWindows is false under Wine");
}

void CheckBatchBytes(Win32Shell& shell) {
  Check(shell.BatchBytes("del C:\\Apps\\x.txt") == std::optional<std::string>("del C:\\Apps\\x.txt"),
        "BatchBytes keeps ASCII as it is");
  const UINT oem = ::GetOEMCP();
  if (::GetACP() == 1252 && (oem == 437 || oem == 850)) {
    // "ä", "é", "ß" of Windows-1252 are 0x84, 0x82 and 0xE1 in both OEM code pages; "€" is in neither.
    Check(shell.BatchBytes("T\xE4\xE9\xDF") == std::optional<std::string>("T\x84\x82\xE1"),
          "BatchBytes writes a-umlaut, e-acute and sharp s in the OEM code page " + std::to_string(oem));
    Check(!shell.BatchBytes("x\x80").has_value(), "BatchBytes refuses the euro sign, which the OEM code page lacks");
  } else {
    Check(false, "the check expects ANSI 1252 and OEM 437 or 850 (got " + std::to_string(::GetACP()) + ", " +
                     std::to_string(oem) + ")");
  }
}

// oldest: the console as the oldest system has it (no append access, no AttachConsole).
void CheckConsole(bool oldest) {
  checkContext = oldest ? "[oldest system] " : "";
  const std::string errFile = kBase + "\\stderr.txt";
  const std::string logFile = kBase + "\\check.log";
  ::DeleteFileA(logFile.c_str());
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  const HANDLE err = ::CreateFileA(errFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  const int code = WaitExit(StartSelf((oldest ? "--console-oldest \"" : "--console \"") + logFile + "\"", err),
                            kPatienceMs);
  ::CloseHandle(err);
  Win32FileSystem fs;
  const auto written = fs.ReadWholeFile(errFile);
  Check(code == 0 && written == std::optional<std::string>("Fehler \xFC\r\nzweite Zeile\r\nnext\r\n"),
        "WriteError: ANSI bytes and CR LF on redirected standard error, no progress bar in a file");
  const auto log = fs.ReadWholeFile(logFile);
  const std::string line1 = log ? log->substr(0, log->find("\r\n")) : "";
  const std::string line2 = log && log->size() > line1.size() + 2 ? log->substr(line1.size() + 2) : "";
  Check(StampedLine(line1, "eins") && line2.size() > 2 && line2.substr(line2.size() - 2) == "\r\n" &&
            StampedLine(line2.substr(0, line2.size() - 2), "zwei"),
        "WriteLog: two stamped lines appended, CR LF: " + (log ? *log : std::string("none")));
  checkContext.clear();
}

// What a DDE server of this check does with a command: answers it carried out, answers it
// not carried out, or leaves it unanswered. Its topic is the mode's name.
const char* const kServerModes[] = {"answer", "refuse", "stall"};
const std::string kExecutedFile = kBase + "\\executed.txt";

void CheckOwnDdeServers(Win32Shell& shell) {
  const DdeStatus expected[] = {DdeStatus::kDone, DdeStatus::kNotProcessed, DdeStatus::kTimedOut};
  for (int i = 0; i < 3; ++i) {
    const std::string mode = kServerModes[i];
    const std::string ready = kBase + "\\ready-" + mode;
    ::DeleteFileA(kExecutedFile.c_str());
    const win32::UniqueHandle server = StartSelf("--dde-server " + mode + " \"" + ready + "\"");
    if (!Check(WaitFor(FileThere, ready), "the DDE server of the check is up (" + mode + ")")) continue;
    const std::string command = "[Check(" + mode + ", \xC4rger)]";
    const DdeStatus got = shell.DdeExecute("TnvCheck", mode, command, 3000, 2000);
    Check(got == expected[i], "a server that " + std::string(i == 0 ? "carries the command out" : i == 1 ? "refuses it" : "stalls") +
                                  ": status " + std::to_string(static_cast<int>(got)));
    Win32FileSystem fs;
    const auto executed = fs.ReadWholeFile(kExecutedFile);
    Check(executed == std::optional<std::string>(command), "the command reached it as ANSI text: " + executed.value_or("nothing"));
    ::TerminateProcess(server.get(), 0);
    (void)WaitExit(server, kPatienceMs);
  }
  Check(shell.DdeExecute("TnvCheck", "answer", "[x()]", 2000, 2000) == DdeStatus::kRefused,
        "with its server gone the service is refused");

  // A window that takes no message holds up a broadcast for as long as it hangs; asked in
  // turn within the limit, the conversation is given up.
  const std::string ready = kBase + "\\ready-hung";
  const win32::UniqueHandle hung = StartSelf("--hung-window \"" + ready + "\"");
  if (Check(WaitFor(FileThere, ready), "a hung window is up")) {
    const DdeStatus got = shell.DdeExecute("TnvNobody", "Check", "[x()]", 2000, 2000);
    Check(got == DdeStatus::kRefused || got == DdeStatus::kConnectTimedOut,
          "beside a hung window no conversation, and the call returns: status " + std::to_string(static_cast<int>(got)));
  }
  ::TerminateProcess(hung.get(), 0);
  (void)WaitExit(hung, kPatienceMs);
}

void CheckDde(Win32Shell& shell) {
  char appData[MAX_PATH];
  const DWORD n = ::GetEnvironmentVariableA("APPDATA", appData, MAX_PATH);
  const std::string programs = std::string(appData, n) + "\\Microsoft\\Windows\\Start Menu\\Programs\\";
  const std::string group = programs + "TnvCheck";

  Check(shell.DdeExecute("NoSuchService", "NoSuchTopic", "[x()]", 2000, 2000) == DdeStatus::kRefused,
        "DDE to a service that does not exist is refused");
  Check(shell.DdeExecute("", "", "[x()]", 2000, 2000) == DdeStatus::kRefused, "DDE with an empty service is refused");
  CheckOwnDdeServers(shell);

  // Program Manager appears with explorer, which may take a moment on a fresh wineserver.
  DdeStatus created = DdeStatus::kRefused;
  Eventually([&] {
    created = shell.DdeExecute("ProgMan", "Progman", "[CreateGroup(TnvCheck,C:\\WINDOWS\\TNVCHECK.GRP)]", 3000, 6000);
    return created != DdeStatus::kRefused;
  });
  Check(created == DdeStatus::kDone, "DDE CreateGroup done");
  Check(WaitFor(FolderThere, group), "the Start Menu group exists: " + group);
  Check(shell.DdeExecute("ProgMan", "Progman", "[ShowGroup(TnvCheck,1)]", 3000, 6000) == DdeStatus::kDone, "DDE ShowGroup done");
  Check(shell.DdeExecute("ProgMan", "Progman", "[ReplaceItem(Player)]", 3000, 6000) == DdeStatus::kNotProcessed,
        "DDE ReplaceItem of a missing item is not processed");
  Check(shell.DdeExecute("ProgMan", "Progman", "[AddItem(C:\\windows\\notepad.exe, Player,,,)]", 3000, 6000) == DdeStatus::kDone,
        "DDE AddItem done");
  Check(WaitFor(FileThere, group + "\\Player.lnk"), "Player.lnk exists");
  Check(shell.DdeExecute("ProgMan", "Progman", "[DeleteGroup(TnvCheck)]", 3000, 6000) == DdeStatus::kDone, "DDE DeleteGroup done");
  Check(WaitFor(FolderGone, group), "the Start Menu group is gone");
  // The explorer window CreateGroup opened stays; it is closed here so the server can end.
  if (const HWND w = ::FindWindowA(nullptr, "TnvCheck"); w != nullptr) ::PostMessageA(w, WM_CLOSE, 0, 0);
}

// A link's target and working folder as the shell reads them back.
std::optional<std::pair<std::string, std::string>> ReadLink(const std::string& path) {
  std::optional<std::pair<std::string, std::string>> out;
  const HRESULT com = ::CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    std::wstring wide(path.begin(), path.end());
    char target[MAX_PATH] = {};
    char folder[MAX_PATH] = {};
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH))) {
      out.emplace(target, folder);
    }
    if (file != nullptr) file->Release();
    link->Release();
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return out;
}

void CheckLinks(Win32Shell& shell) {
  const auto user = shell.ProgramsFolder(ProgramsScope::kUser);
  const auto machine = shell.ProgramsFolder(ProgramsScope::kMachine);
  Check(user && FolderThere(*user), "the user's Programs folder: " + user.value_or("none"));
  Check(machine && FolderThere(*machine) && Upper(*machine) != Upper(*user),
        "the machine's Programs folder: " + machine.value_or("none"));
  // Every call a shell may have names the same folders: the older ones stand in on Windows 95
  // and NT 4.
  const struct {
    FolderCall call;
    const char* name;
  } kCalls[] = {{FolderCall::kFolderPath, "SHGetFolderPathA"},
                {FolderCall::kSpecialFolderPath, "SHGetSpecialFolderPathA"},
                {FolderCall::kSpecialFolderLocation, "SHGetSpecialFolderLocation"}};
  for (const auto& c : kCalls) {
    Check(ShellHas(c.call), std::string("the shell has ") + c.name);
    Check(SpecialFolderThrough(c.call, CSIDL_PROGRAMS) == user && SpecialFolderThrough(c.call, CSIDL_COMMON_PROGRAMS) == machine,
          std::string(c.name) + " names the same Programs folders");
  }
  // The administrator rights by the system's own test of the token.
  SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  BOOL member = FALSE;
  if (::AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                 &administrators)) {
    ::CheckTokenMembership(nullptr, administrators, &member);
    ::FreeSid(administrators);
  }
  Check(shell.RunsAsAdministrator() == (member != FALSE),
        std::string("RunsAsAdministrator as CheckTokenMembership says: ") + (member ? "yes" : "no"));

  const std::string folder = kBase + "\\links";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  const std::string link = folder + "\\Read me.lnk";
  Check(shell.CreateShellLink(link, "C:\\windows\\win.ini", "C:\\windows"), "CreateShellLink writes a link");
  auto read = ReadLink(link);
  Check(read && Upper(read->first) == "C:\\WINDOWS\\WIN.INI" && Upper(read->second) == "C:\\WINDOWS",
        "the link starts its target in its working folder: " + (read ? read->first + " in " + read->second : "unreadable"));
  Check(shell.CreateShellLink(link, "C:\\windows\\notepad.exe", ""), "CreateShellLink replaces a link");
  read = ReadLink(link);
  Check(read && Upper(read->first) == "C:\\WINDOWS\\NOTEPAD.EXE" && read->second.empty(),
        "the replaced link has the new target and no working folder: " + (read ? read->first + " in " + read->second : "unreadable"));
  Check(!shell.CreateShellLink(kBase + "\\missing\\x.lnk", "C:\\windows\\notepad.exe", ""),
        "no link in a folder that does not exist");
  Check(!FileThere(kBase + "\\missing"), "and no folder is made for it");
}

// ---- Child modes --------------------------------------------------------------------------

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

int RunWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = kWindowClass;
  ::RegisterClassA(&wc);
  const HWND w = ::CreateWindowA(kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                 nullptr, nullptr, wc.hInstance, nullptr);
  if (w == nullptr) return 2;
  ::SetTimer(w, 1, 60000, nullptr);  // gives up after 60 s, when the check has long stopped waiting
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) return 3;
    ::DispatchMessageA(&msg);
  }
  return 0;
}

int RunConsole(const std::string& logFile, const SystemCalls& calls) {
  Win32Console console(true, logFile, calls);
  console.WriteLog("eins");
  console.ShowProgressBar(50);
  console.WriteError("Fehler \xFC\nzweite Zeile");
  console.WriteError("next");
  console.WriteLog("zwei");
  return 0;
}


// ---- A DDE server of the check's own (--dde-server MODE READY) and a hung window --------

std::string g_serverMode;

LRESULT CALLBACK ServerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND client = reinterpret_cast<HWND>(wParam);
  char name[64] = {};
  switch (message) {
    case WM_DDE_INITIATE:
      // Sent with the service and topic atoms; answered for TnvCheck on the mode's topic.
      ::GlobalGetAtomNameA(LOWORD(lParam), name, sizeof name);
      if (_stricmp(name, "TnvCheck") != 0) return 0;
      ::GlobalGetAtomNameA(HIWORD(lParam), name, sizeof name);
      if (_stricmp(name, g_serverMode.c_str()) != 0) return 0;
      ::SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(hwnd),
                     MAKELPARAM(::GlobalAddAtomA("TnvCheck"), ::GlobalAddAtomA(g_serverMode.c_str())));
      return 0;
    case WM_DDE_EXECUTE: {
      const auto memory = reinterpret_cast<HGLOBAL>(lParam);
      if (const char* text = static_cast<const char*>(::GlobalLock(memory)); text != nullptr) {
        Win32FileSystem fs;
        (void)WriteText(fs, kExecutedFile, WriteMode::kReplace, text);
        ::GlobalUnlock(memory);
      }
      if (g_serverMode == "stall") return 0;
      const UINT_PTR flags = g_serverMode == "answer" ? 0x8000 : 0;
      ::PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(hwnd),
                     ::PackDDElParam(WM_DDE_ACK, flags, reinterpret_cast<UINT_PTR>(memory)));
      return 0;
    }
    case WM_DDE_TERMINATE:
      ::PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(hwnd), 0);
      return 0;
    default:
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

// A top-level window, then the file ready; with answer false, no message is taken from then on.
int RunServer(const std::string& ready, bool answer) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ServerProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "TnvCheckDdeServer";
  ::RegisterClassA(&wc);
  const HWND w = ::CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  if (w == nullptr) return 2;
  Win32FileSystem fs;
  (void)WriteText(fs, ready, WriteMode::kReplace, "ready");
  if (!answer) {
    for (;;) ::Sleep(1000);
  }
  ::SetTimer(w, 1, 60000, nullptr);  // gives up after 60 s, when the check has long stopped waiting
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) return 3;
    ::DispatchMessageA(&msg);
  }
  return 0;
}
}  // namespace

// The code page the system tells, under Wine's default locale Windows-1252: its folds as the
// system makes them match the program's own table of that code page, byte for byte.
void CheckCodePage() {
  const SystemCodePage system = CodePageOfSystem();
  Check(system.unsupportedReason.empty(), "the system's code page can be followed" +
                                              (system.unsupportedReason.empty() ? "" : ": " + system.unsupportedReason));
  Check(system.codePage.Number() == 1252 && !system.codePage.HasLeadBytes(),
        "the code page is 1252 without lead bytes (got " + std::to_string(system.codePage.Number()) + ")");
  const CodePage builtIn = CodePage::Windows1252();
  std::string differing;
  for (unsigned b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if (system.codePage.Upper(c) != builtIn.Upper(c) || system.codePage.Lower(c) != builtIn.Lower(c)) {
      differing += " " + std::to_string(b);
    }
  }
  Check(differing.empty(), "CharUpperBuffA and CharLowerBuffA fold every byte as the Windows-1252 table" +
                               (differing.empty() ? "" : " (not:" + differing + ")"));
  Check(FontCharset() == ANSI_CHARSET, "the fonts' character set of 1252 is ANSI_CHARSET");
}

int main(int argc, char** argv) {
  RestrictDllSearchToSystem();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--instance-probe") {
    Win32Shell shell;
    return shell.AnotherInstanceRunning() ? 5 : 0;
  }
  if (!args.empty() && args[0] == "--window") return RunWindow();
  if (args.size() == 2 && args[0] == "--console") return RunConsole(args[1], ThisSystem());
  if (args.size() == 2 && args[0] == "--console-oldest") return RunConsole(args[1], OldestSystem());
  if (args.size() == 3 && args[0] == "--dde-server") {
    g_serverMode = args[1];
    return RunServer(args[2], true);
  }
  if (args.size() == 2 && args[0] == "--hung-window") return RunServer(args[1], false);
  if (!args.empty() && args[0] == "--unregister") {
    Win32Shell shell;
    return shell.UnregisterUninstaller() ? 0 : 1;
  }

  unsigned expectedLang = 0x0409;
  bool dde = true;
  bool langOnly = false;
  for (const std::string& a : args) {
    if (a == "--lang-only") langOnly = true;
    if (a.rfind("--expect-lang=", 0) == 0) expectedLang = static_cast<unsigned>(std::strtoul(a.c_str() + 14, nullptr, 16));
    if (a == "--no-dde") dde = false;
  }

  Win32FileSystem fs;
  Win32Shell shell;
  const unsigned lang = shell.SystemDefaultLangId();
  char text[64];
  std::snprintf(text, sizeof text, "SystemDefaultLangId 0x%04X (want 0x%04X)", lang, expectedLang);
  Check(lang == expectedLang, text);
  if (langOnly) return failures == 0 ? 0 : 1;

  CheckCodePage();
  CheckFiles(fs);
  CheckPaths(shell, fs);
  CheckClock();
  CheckInstance(shell);
  CheckRegistry(shell);
  CheckWindows(shell);
  CheckOpen(shell, fs);
  CheckBatchBytes(shell);
  CheckConsole(false);
  CheckConsole(true);
  CheckInstanceNames();
  CheckAsOnTheOldestSystem();
  CheckLinks(shell);
  if (dde) CheckDde(shell);

  RemoveTree(kBase);
  std::printf("%s: %d failed\n", failures == 0 ? "ALL PASS" : "FAILURES", failures);
  return failures == 0 ? 0 : 1;
}
