// Running the installer object: construction, event delivery with its gating, the end of the
// program, and the unattended run's messages and log.
#include "installer/installer.h"

#include <utility>

#include "base/ansi_text.h"

namespace tunovar {

Installer::Installer(Platform& platform, LaunchInfo launch, Switches switches)
    : platform_(platform), launch_(std::move(launch)), switches_(std::move(switches)) {}

bool Installer::Start() {
  if (!switches_.usageError.empty()) {
    // A bad command line changes nothing: it is reported and the run ends.
    const std::string text = switches_.usageError + "\n" + UsageText();
    if (Silent()) {
      platform_.console.WriteError(text);
    } else {
      platform_.ui.ShowMessage(kInstallerTitle, text, MessageButtons::kOk);
    }
    Log(switches_.usageError);
    ended_ = true;
    exitCode_ = kExitUsage;
    return false;
  }
  try {
    Form_Load();
  } catch (const ProgramEnd&) {
  }
  return !ended_;
}

void Installer::EndProgram(int code) {
  if (!ended_) {
    ended_ = true;
    exitCode_ = code;
  }
  throw ProgramEnd{exitCode_};
}

void Installer::EndCancelled(const std::string& how) {
  if (ended_) throw ProgramEnd{exitCode_};
  Log("Cancelled " + how);
  std::string text = LeaveCancelledInstallation(how);
  if (text.empty()) {
    text = UninstallMode() ? "The uninstall was cancelled (" + how +
                                 ") before it was finished: run the uninstaller again to remove the rest."
                           : "Cancelled (" + how + "): nothing was installed.";
  }
  Log(text);
  // A window's user saw the Cancel; an unattended caller learns it here and from the code.
  if (Silent()) platform_.console.WriteError(text);
  EndProgram(kExitCancelled);
}

bool Installer::UninstallMode() const {
  return EqualsNoCase(launch_.exeBaseName, "deinstal") || EqualsNoCase(switches_.rest, "d");
}

void Installer::RequestEnd() {
  if (ended_) return;
  try {
    EndCancelled("by closing the window");
  } catch (const ProgramEnd&) {
    // ended_ and the exit code are set; the procedure that runs stops at its next pause.
  }
}

void Installer::Interrupt(std::string_view what) {
  if (ended_) return;
  try {
    EndCancelled("by " + std::string(what));
  } catch (const ProgramEnd&) {
  }
}

void Installer::DoEvents() {
  platform_.ui.PumpEvents();
  // A handler that ran while the events were let through (Cancel) may have ended the program;
  // the procedure that let them run stops here.
  if (ended_) throw ProgramEnd{exitCode_};
}

namespace {

struct HandlerRow {
  Ctl control;
  Event event;
  void (Installer::*handler)();
};

// The handlers that exist; nothing else receives events.
constexpr HandlerRow kHandlers[] = {
    {Ctl::Timer1, Event::kTimer, &Installer::Timer1_Timer},
    {Ctl::Label_Install, Event::kClick, &Installer::Label_Install_Click},
    {Ctl::Label_Cancel, Event::kClick, &Installer::Label_Cancel_Click},
    {Ctl::Up_P, Event::kMouseDown, &Installer::Up_P_MouseDown},
    {Ctl::Down_P, Event::kMouseDown, &Installer::Down_P_MouseDown},
    {Ctl::Help_P, Event::kMouseDown, &Installer::Help_P_MouseDown},
    {Ctl::Browse_P, Event::kMouseDown, &Installer::Browse_P_MouseDown},
    {Ctl::CDDB_a, Event::kClick, &Installer::CDDB_a_Click},
    {Ctl::CDDB_p, Event::kClick, &Installer::CDDB_p_Click},
    {Ctl::TextTimerUp, Event::kTimer, &Installer::TextTimerUp_Timer},
    {Ctl::TextTimerDown, Event::kTimer, &Installer::TextTimerDown_Timer},
    {Ctl::HelpTimer, Event::kTimer, &Installer::HelpTimer_Timer},
    {Ctl::Text_InstPath, Event::kChange, &Installer::Text_InstPath_Change},
    {Ctl::Text_InstPath, Event::kDblClick, &Installer::Text_InstPath_DblClick},
};

// The user's input reaches a control only once the window is ready, and only while the
// control is visible and enabled.
bool TakesInput(const Form& form, Ctl control) {
  const ControlState& state = form[control];
  return form.Ready() && state.visible && state.enabled;
}

}  // namespace

void Installer::Deliver(Ctl control, Event event) {
  if (ended_) return;
  if (event == Event::kTimer) {
    if (form_[control].interval == 0) return;  // a stopped timer does not fire
  } else if (!TakesInput(form_, control)) {
    return;
  }
  for (const HandlerRow& row : kHandlers) {
    if (row.control == control && row.event == event) {
      try {
        (this->*row.handler)();
      } catch (const ProgramEnd&) {
        // ended_ and the exit code are set; the view's loop ends the program.
      }
      return;
    }
  }
}

void Installer::DeliverTypedText(const std::string& text) {
  if (ended_ || !TakesInput(form_, Ctl::Text_InstPath)) return;
  form_.AcceptTypedText(Ctl::Text_InstPath, text);
  try {
    Text_InstPath_Change();
  } catch (const ProgramEnd&) {
  }
}

MessageAnswer Installer::Message(const std::string& title, const std::string& text,
                                 MessageButtons buttons, MessageAnswer silentAnswer) {
  Log("Message \"" + title + "\": " + text);
  if (Silent()) {
    platform_.console.WriteError(title + ": " + text);
    return silentAnswer;
  }
  const MessageAnswer answer = platform_.ui.ShowMessage(title, text, buttons);
  if (buttons == MessageButtons::kYesNo) {
    Log(answer == MessageAnswer::kYes ? "Answer: Yes" : "Answer: No");
  }
  return answer;
}

void Installer::Log(const std::string& line) { platform_.console.WriteLog(line); }

void Installer::LogUnexpected(std::string_view what) noexcept {
  // A log line that cannot be written (no memory left) leaves nothing else to tell.
  try {
    Log("Unexpected failure; the event was dropped: " + std::string(what));
  } catch (...) {
  }
}

}  // namespace tunovar
