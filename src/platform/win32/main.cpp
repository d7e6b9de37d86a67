// Entry point of install.exe: the Win32 platform objects, the installer object and its window.
#include <exception>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/code_page_win32.h"
#include "platform/win32/console_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/interrupt_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/ui_win32.h"
#include "platform/win32/win32.h"
#include "installer/installer_run.h"

namespace tunovar::win32 {
namespace {

// The full path of the running executable, however long it is.
std::string ModulePath() {
  std::string path(MAX_PATH, '\0');
  while (path.size() <= 32768) {
    const DWORD written = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (written == 0) return {};
    if (written < path.size()) {
      path.resize(written);
      return path;
    }
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
  return {};
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The command line after the program's name (which may be quoted), leading blanks removed.
std::string ArgumentsOf(const char* commandLine) {
  if (commandLine == nullptr) return {};
  const std::string line(commandLine);
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  bool quoted = false;
  for (; i < line.size(); ++i) {
    if (line[i] == '"') {
      quoted = !quoted;
    } else if (!quoted && IsBlank(line[i])) {
      break;
    }
  }
  while (i < line.size() && IsBlank(line[i])) ++i;
  return line.substr(i);
}

// The command line in the installer's code page. Made from the system's own text with no
// "best fit": a character the code page cannot hold becomes "?", never a look-alike letter
// ("/D=C:\\Музыка" must not become some other folder that exists).
std::string CommandLineInCodePage() {
  // Windows 95 has GetCommandLineW only as a call that fails, and Windows before 2000 knows
  // no WC_NO_BEST_FIT_CHARS: there the system's ANSI command line is the text itself.
  const wchar_t* wide = ::GetCommandLineW();
  const int size = wide == nullptr ? 0
                                   : ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0,
                                                           nullptr, nullptr);
  if (size <= 0) {
    const char* ansi = ::GetCommandLineA();
    return ansi == nullptr ? std::string() : std::string(ansi);
  }
  std::string line(static_cast<std::size_t>(size), '\0');
  (void)::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, line.data(), size, nullptr, nullptr);
  line.resize(static_cast<std::size_t>(size) - 1);  // the terminating NUL
  return line;
}

LaunchInfo LaunchOfThisProcess() {
  LaunchInfo launch;
  const std::string path = ModulePath();
  const std::size_t slash = ActiveCodePage().FindLastChar(path, '\\');
  const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  if (slash != std::string::npos) {
    launch.exeFolder = path.substr(0, slash);
    // A drive root keeps its backslash ("E:\"), as the system names it.
    if (launch.exeFolder.size() == 2 && launch.exeFolder[1] == ':') launch.exeFolder += '\\';
  }
  const std::size_t dot = file.find_last_of('.');
  launch.exeBaseName = dot == std::string::npos ? file : file.substr(0, dot);
  return launch;
}

int RunInstaller(HINSTANCE instance) {
  // Every text rule of the core follows the system's code page from here on, the reading of
  // the command line first.
  const SystemCodePage system = CodePageOfSystem();
  if (system.unsupportedReason.empty()) UseCodePage(system.codePage);
  // The command line is parsed here once; the console, the view and the run take its switches.
  const Switches switches = ParseSwitches(ArgumentsOf(CommandLineInCodePage().c_str()));
  Win32Console console(switches.silent, switches.logFile);
  if (!system.unsupportedReason.empty()) {
    // Said before anything is touched: no path is read or made by rules that would cut it.
    const std::string text = system.unsupportedReason +
                             " Nothing was changed. Install the product from a system whose code page for such "
                             "programs is a Windows code page (for example 1252, 1251 or 932).";
    console.WriteError(text);
    console.WriteLog(text);
    if (!switches.silent) {
      (void)::MessageBoxA(nullptr, text.c_str(), "Ovri TUNOVAR Setup", MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
    }
    return kExitCodePage;
  }
  // With /S the run may be attached to a console, whose Ctrl-C and closing cancel it.
  if (switches.silent) CatchConsoleInterrupts();
  return RunReportingUnexpected(console, [&] {
    Win32FileSystem fileSystem;
    Win32Shell shell;
    Win32Ui ui(instance, switches.silent, console);
    Win32Clock clock;
    Platform platform{fileSystem, shell, ui, console, clock};
    const std::unique_ptr<InstallerRun> installer =
        CreateInstallerRun(platform, LaunchOfThisProcess(), switches);
    ui.Attach(*installer);
    if (!installer->Start()) return installer->ExitCodeOfRun();
    return ui.Run();
  });
}

// Before the console was made: said on standard error when the parent gave one.
void SayOnStandardError(const std::string& text) {
  HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
  const std::string line = text + "\r\n";
  DWORD written = 0;
  ::WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace
}  // namespace tunovar::win32

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything can load a DLL: none may come from the program's own folder.
  tunovar::win32::RestrictDllSearchToSystem();
  try {
    return tunovar::win32::RunInstaller(instance);
  } catch (...) {
    // Ends as every run that fails unexpectedly ends: said, and exit code 3.
    try {
      tunovar::win32::SayOnStandardError(tunovar::UnexpectedEndText(tunovar::CurrentExceptionText()));
    } catch (...) {
    }
    return tunovar::kExitFatalFile;
  }
}
