// The switches of an unattended or preset run: they act as the user would in the window, and
// a silent run then clicks Install.
#include "base/ansi_text.h"
#include "installer/installer.h"

namespace tunovar {

void Installer::ApplyStartSwitches() {
  const Switches& options = Options();
  if (options.language) {
    const int n = *options.language;
    if (n < 0 || n >= texts.LanguageCount) {
      const std::string text = "/LANG=" + DecimalText(n) + ": the installer texts have " +
                               DecimalText(texts.LanguageCount) + " language sections (0 to " +
                               DecimalText(texts.LanguageCount - 1) + ").";
      (void)Message(kInstallerTitle, text, MessageButtons::kOk, MessageAnswer::kOk);
      EndProgram(kExitUsage);
    }
    texts.LangIndex = n;
    UpdateInfoText(texts.LangIndex);
    ShowLanguageCaptions(texts.LangIndex);
  }
  if (options.noCddb) CDDB_a_Click();
  if (options.targetPath) SetInstPathText(*options.targetPath);
}

void Installer::RunUnattendedInstall() {
  Label_Install_Click();
  // Only the space check returns from the installation; every other way ends the program.
  EndProgram(kExitNoSpace);
}

}  // namespace tunovar
