// Start-up and mode dispatch: Form_Load and the first tick of Timer1.
#include "base/ansi_text.h"
#include "startup/installer.h"

namespace tunovar {

void Installer::Form_Load() {
  AppPath = launch_.exeFolder;
  if (AppPath.empty() || AppPath.back() != '\\') AppPath += '\\';
  // A folder given in short 8.3 form is shown and used in its long form.
  if (AppPath.find('~') != std::string::npos) {
    const std::string longForm = GetLongPath(AppPath);
    if (longForm.size() > 2) AppPath = longForm;
  }
  if (platform_.shell.AnotherInstanceRunning()) {
    Log("Another instance is running; this one ends.");
    // Whoever starts the program again is looking for it: the running one comes forward. An
    // unattended start shows nothing.
    if (!Silent()) platform_.ui.ShowOtherInstance();
    EndProgram(kExitOtherInstance);
  }
  // The window ignores input until InitInstallerWindow has finished.
  form_.SetReady(false);
  form_.SetInterval(Ctl::Timer1, 100);
}

void Installer::Timer1_Timer() {
  form_.SetInterval(Ctl::Timer1, 0);
  const bool uninstall =
      EqualsNoCase(launch_.exeBaseName, "deinstal") || EqualsNoCase(switches_.rest, "d");
  if (uninstall) {
    Log("Uninstall mode, from " + AppPath);
    RunUninstall();
    EndProgram(PassedOverEntries.empty() ? kExitDone : kExitIncomplete);
  }
  Log("Install mode, from " + AppPath);
  InitInstallerWindow();
  ApplyStartSwitches();
  if (Silent()) RunUnattendedInstall();
}

}  // namespace tunovar
