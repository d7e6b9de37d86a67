// Start-up and mode dispatch: Form_Load and the first tick of Timer1.
#include "base/ansi_text.h"
#include "base/windows_path.h"
#include "installer/installer.h"

namespace tunovar {

void Installer::Form_Load() {
  folders.AppPath = launch_.exeFolder;
  if (!EndsInBackslash(folders.AppPath)) folders.AppPath += '\\';
  // A folder given in short 8.3 form is shown and used in its long form.
  if (folders.AppPath.find('~') != std::string::npos) {
    const std::string longForm = GetLongPath(folders.AppPath);
    if (longForm.size() > 2) folders.AppPath = longForm;
  }
  if (platform_.shell.AnotherInstanceRunning()) {
    const char* why = "Another instance of the setup program (install or deinstal) is running; this one ends.";
    Log(why);
    // Whoever starts the program again is looking for it: the running one comes forward. An
    // unattended start shows nothing and says why.
    if (Silent()) {
      platform_.console.WriteError(why);
    } else {
      platform_.ui.ShowOtherInstance();
    }
    EndProgram(kExitOtherInstance);
  }
  // The window ignores input until InitInstallerWindow has finished.
  form_.SetReady(false);
  form_.SetInterval(Ctl::Timer1, 100);
}

void Installer::Timer1_Timer() {
  form_.SetInterval(Ctl::Timer1, 0);
  if (UninstallMode()) {
    Log("Uninstall mode, from " + folders.AppPath);
    RunUninstall();
    EndProgram(report.PassedOverEntries.empty() && !report.RemovalIncomplete && !report.BatchNotStarted
                   ? kExitDone
                   : kExitIncomplete);
  }
  Log("Install mode, from " + folders.AppPath);
  InitInstallerWindow();
  ApplyStartSwitches();
  if (Silent()) RunUnattendedInstall();
}

}  // namespace tunovar
