// Linux entry point: an unattended run of the installer on drive letters mapped to folders.
#include <limits.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <string>

#include "base/ansi_utf8.h"
#include "base/code_page.h"
#include "base/windows_path.h"
#include "platform/platform.h"
#include "platform/posix/clock_posix.h"
#include "platform/posix/console_posix.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/file_system_posix.h"
#include "platform/posix/host_files.h"
#include "platform/posix/interrupt_signals.h"
#include "platform/posix/shell_posix.h"
#include "platform/posix/ui_headless.h"
#include "installer/installer_run.h"

namespace {

using namespace tunovar;
using namespace tunovar::posix;

void SayOnStandardError(const std::string& ansi) {
  const std::string text = AnsiToUtf8(ansi) + "\n";
  (void)WriteAll(STDERR_FILENO, text);
}

// The host path of this program, "" when the system does not tell it.
std::string ExecutablePath() {
  std::array<char, PATH_MAX> buffer{};
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : "";
}

int RunInstaller(int argc, char** argv) {
  // Names are Windows-1252 in the core and UTF-8 on the host (base/ansi_utf8.h), whatever the
  // host's locale: the core's text rules follow that code page.
  UseCodePage(CodePage::Windows1252());
  // The argument string is the arguments joined with one blank, in the installer's code page;
  // one that holds a blank is put in double quotes, so that it stays one word.
  std::string arguments;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) arguments += ' ';
    const std::string argument = Utf8ToAnsiLossy(argv[i]);
    const bool blank = argument.find_first_of(" \t") != std::string::npos;
    arguments += blank ? "\"" + argument + "\"" : argument;
  }
  const Switches switches = ParseSwitches(arguments);
  if (!switches.silent) {
    // Said before anything is touched: no drive folder is made and no lock is taken.
    std::string text =
        "This build of the installer has no window. Run it silently with /S, for example\n"
        "  install /S /D=C:\\Apps           to install into C:\\Apps\\TUNOVAR\n"
        "  deinstal /S                      to uninstall (or install d /S)\n"
        "Drive letters are folders: TUNOVAR_DRIVES=\"C=/some/dir;D=/media/cd\".\n";
    if (!switches.usageError.empty()) text += switches.usageError + "\n";
    SayOnStandardError(text + UsageText());
    return kExitUsage;
  }

  const std::string exePath = ExecutablePath();
  const std::size_t slash = exePath.rfind('/');
  DriveMap drives = DriveMap::FromEnvironment();
  const auto exeFolder = slash == std::string::npos
                             ? std::nullopt
                             : drives.ToWindows(slash == 0 ? "/" : exePath.substr(0, slash));
  if (!exeFolder) {
    SayOnStandardError("The folder of this program (" + Utf8ToAnsiLossy(exePath) +
                       ") lies on no drive of TUNOVAR_DRIVES.");
    return kExitUsage;
  }
  if (HoldsForbiddenCharacter(*exeFolder, NameScope::kWholePath)) {
    // The installer's own files would all be missing under such a name, as if the CD were
    // corrupted: what is wrong is said instead.
    SayOnStandardError("The folder of this program (" + Utf8ToAnsiLossy(exePath.substr(0, slash)) +
                       ") has a name that no Windows path can hold (one of : ? * < > | \"). Copy the CD to a "
                       "folder without them, or name the CD's folder as a drive in TUNOVAR_DRIVES.");
    return kExitUsage;
  }
  std::string baseName = Utf8ToAnsiLossy(exePath.substr(slash + 1));
  if (const std::size_t dot = baseName.rfind('.'); dot != std::string::npos && dot > 0) baseName.erase(dot);

  CatchInterrupts();
  PosixConsole console(switches.logFile.value_or(""));
  return RunReportingUnexpected(console, [&] {
    HeadlessUi ui;
    PosixFileSystem fs(std::move(drives));
    PosixShell shell(fs, &console);
    PosixClock clock;
    Platform platform{fs, shell, ui, console, clock};
    const std::unique_ptr<InstallerRun> installer =
        CreateInstallerRun(platform, LaunchInfo{*exeFolder, baseName}, switches);
    // Ctrl-C, a closed terminal or a polite kill ends the run as Cancel does, at its next pause.
    ui.OnPump([&installer] {
      if (const int signal = InterruptSignal(); signal != 0) installer->Interrupt(InterruptSignalName(signal));
    });
    if (installer->Start()) RunTimersHeadless(*installer);
    return installer->ExitCodeOfRun();
  });
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return RunInstaller(argc, argv);
  } catch (...) {
    // Before the console was made: said on standard error alone, ending as every run that
    // fails unexpectedly ends.
    try {
      SayOnStandardError(UnexpectedEndText(CurrentExceptionText()));
    } catch (...) {
    }
    return kExitFatalFile;
  }
}
