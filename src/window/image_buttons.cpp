// The picture buttons: language ring, help, the CDDB option, Install, Cancel, and the lock of
// the window during an installation.
//
// Up, Down and Help show their pressed picture at once and act on their timer's single tick
// 100 ms later, so that the window can paint the pressed state first. While pressed, the
// normal picture is hidden and the pressed one has no handler: further clicks fall through.
#include "base/ansi_text.h"
#include "installer/installer.h"

namespace tunovar {
namespace {

constexpr int kPressMs = 100;

// The controls locked while an installation runs. Cancel is not among them: it must stay
// clickable to the end.
constexpr Ctl kLocked[] = {
    Ctl::Up_A,   Ctl::Up_P,   Ctl::Down_A,        Ctl::Down_P,        Ctl::Help_A,   Ctl::Help_P,
    Ctl::CDDB_a, Ctl::CDDB_p, Ctl::Text_InstPath, Ctl::Label_Install, Ctl::Browse_A, Ctl::Browse_P,
};

}  // namespace

// The ring covers the stored sections only; with no section read it is the one empty
// section 0. An index outside the ring (a system language without its section) steps into it.
void Installer::Up_P_MouseDown() {
  form_.SetVisible(Ctl::Up_A, true);
  form_.SetVisible(Ctl::Up_P, false);
  const std::int32_t last = texts.LanguageCount > 0 ? texts.LanguageCount - 1 : 0;
  texts.LangIndex = (texts.LangIndex >= last || texts.LangIndex < 0) ? 0 : texts.LangIndex + 1;
  form_.SetInterval(Ctl::TextTimerUp, kPressMs);
}

void Installer::TextTimerUp_Timer() {
  ShowPressedLanguage(Ctl::TextTimerUp, Ctl::Up_P, Ctl::Up_A);
}

void Installer::Down_P_MouseDown() {
  form_.SetVisible(Ctl::Down_A, true);
  form_.SetVisible(Ctl::Down_P, false);
  const std::int32_t last = texts.LanguageCount > 0 ? texts.LanguageCount - 1 : 0;
  texts.LangIndex = (texts.LangIndex <= 0 || texts.LangIndex > last) ? last : texts.LangIndex - 1;
  form_.SetInterval(Ctl::TextTimerDown, kPressMs);
}

void Installer::TextTimerDown_Timer() {
  ShowPressedLanguage(Ctl::TextTimerDown, Ctl::Down_P, Ctl::Down_A);
}

// The delayed part of Up and Down: the timer fires once, the texts follow the new language,
// then the normal picture comes back over the pressed one.
void Installer::ShowPressedLanguage(Ctl timer, Ctl normal, Ctl active) {
  form_.SetInterval(timer, 0);
  UpdateInfoText(texts.LangIndex);
  ShowLanguageCaptions(texts.LangIndex);
  form_.SetVisible(normal, true);
  form_.SetVisible(active, false);
}

void Installer::Help_P_MouseDown() {
  form_.SetVisible(Ctl::Help_A, true);
  form_.SetVisible(Ctl::Help_P, false);
  form_.SetInterval(Ctl::HelpTimer, kPressMs);
}

void Installer::HelpTimer_Timer() {
  form_.SetInterval(Ctl::HelpTimer, 0);
  // The program runs from "runtime\" right below the product folder, where the help files lie.
  const std::optional<std::string> helpFolder = DropRight(folders.AppPath, 8);
  const std::optional<std::string> workingFolder =
      helpFolder ? DropRight(*helpFolder, 1) : std::nullopt;
  if (helpFolder && workingFolder) {
    // Whatever the shell makes of a missing help file is the shell's to show.
    (void)platform_.shell.Open(*helpFolder + DecimalText(texts.LangIndex) + "_TunoDoc.hlp", "",
                               *workingFolder, ShowMode::kNormal);
  }
  form_.SetVisible(Ctl::Help_P, true);
  form_.SetVisible(Ctl::Help_A, false);
}

void Installer::CDDB_a_Click() {
  form_.SetVisible(Ctl::CDDB_a, false);
  form_.SetVisible(Ctl::CDDB_p, true);
  space.CDDBSelected = false;
  UpdateInfoText(texts.LangIndex);
}

void Installer::CDDB_p_Click() {
  form_.SetVisible(Ctl::CDDB_p, false);
  form_.SetVisible(Ctl::CDDB_a, true);
  space.CDDBSelected = true;
  UpdateInfoText(texts.LangIndex);
}

void Installer::Label_Install_Click() { RunInstallation(); }

void Installer::Label_Cancel_Click() { EndCancelled("by the user"); }

void Installer::EnableControls() {
  for (const Ctl c : kLocked) form_.SetEnabled(c, true);
  form_.SetWindowPointer(MousePointer::kDefault);
}

void Installer::DisableControls() {
  for (const Ctl c : kLocked) form_.SetEnabled(c, false);
  form_.SetWindowPointer(MousePointer::kHourglass);
}

}  // namespace tunovar
