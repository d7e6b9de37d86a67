// What a back-end's main and its view see of the core: a run of the installer. The one header
// of the core that a back-end includes.
//
// main parses the command line once, creates the run on its platform objects, starts it and
// returns its exit code; a view mirrors the window model, delivers the user's events and asks
// to end the program when its window is closed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "installer/command_line.h"
#include "installer/focus_order.h"
#include "installer/form.h"

namespace tunovar {

// Exit codes of a run (meaningful for unattended runs).
enum ExitCode : int {
  kExitDone = 0,
  kExitDeclined = 1,      // No to the uninstall question
  kExitNoSpace = 2,       // not enough space on the target drive
  kExitFatalFile = 3,     // "is corrupted"; also a run that failed in a way no step foresaw
  kExitIncomplete = 4,    // done, but some files were not placed / entries passed over
  kExitOtherInstance = 5,
  kExitCancelled = 6,     // Cancel, the window closed or an interrupt ended the run early
  kExitCodePage = 7,      // the system's code page is one whose path rules the program cannot follow
  kExitUsage = 64,
};

// Events a view delivers to the installer window.
enum class Event : std::uint8_t { kClick, kMouseDown, kDblClick, kChange, kTimer };

// Keys of the window: Enter and Space press what has the keyboard (Enter in the path box is
// Install), Escape anywhere is Cancel, Tab and Shift+Tab move the keyboard to the next stop.
enum class Key : std::uint8_t { kEnter, kEscape, kSpace, kTab, kBackTab };

class InstallerRun {
 public:
  virtual ~InstallerRun() = default;

  // Runs Form_Load; a second instance or a bad command line ends here. False when the run
  // has ended.
  virtual bool Start() = 0;
  // An event of the view: passed on only to a control that is visible and enabled, and,
  // except for timers, only once the window is ready.
  virtual void Deliver(Ctl control, Event event) = 0;
  // The user changed the text of Text_InstPath in the view.
  virtual void DeliverTypedText(const std::string& text) = 0;
  // A key of the window. Escape is a click on Label_Cancel; Enter in the path box one on
  // Label_Install; Enter or Space on another stop is what a click on it does
  // (DeliverPress); Tab and Shift+Tab move the window's focus. Every press is gated as the
  // click is (no Install while the window is locked).
  virtual void DeliverKey(Key key) = 0;
  // The stop is pressed as a click on it would (Space on it, or a screen reader's default
  // action): a mouse-down on Up, Down, Help and Browse, a click on the others.
  virtual void DeliverPress(FocusStop stop) = 0;
  // The user put the keyboard on the stop by other means (a click into the path box): the
  // window's focus follows when the stop takes it.
  virtual void DeliverFocus(FocusStop stop) = 0;
  // The user closed the window: the program ends at once, as with Cancel, also while an
  // installation runs (it stops at its next pause for window events).
  virtual void RequestEnd() = 0;
  // The system asks the program to end (Ctrl-C, its console or terminal closed, a request to
  // terminate), what naming it ("SIGINT"): the run ends as with Cancel, at its next pause for
  // window events.
  virtual void Interrupt(std::string_view what) = 0;

  // The window model to draw, and the one observer told of its changes (nullptr: none).
  [[nodiscard]] virtual const Form& Window() const = 0;
  virtual void ObserveWindow(FormObserver* observer) = 0;

  [[nodiscard]] virtual bool Ended() const = 0;
  [[nodiscard]] virtual int ExitCodeOfRun() const = 0;

  // A view that caught a failure no step foresaw while it handled an event says so here; the
  // event is dropped and the window goes on. Nothing is thrown.
  virtual void LogUnexpected(std::string_view what) noexcept = 0;
};

// A run of the installer on the platform's objects, started as launch says, with the
// switches of its command line.
[[nodiscard]] std::unique_ptr<InstallerRun> CreateInstallerRun(Platform& platform, LaunchInfo launch,
                                                               Switches switches);

// Fires the window's timers as a view without a window does: each when its interval has
// passed, in the order they fall due, until the run ends or no timer is armed any more; a
// timer whose interval changes starts counting again from the change. Such a
// view shows nothing and takes no input, so nothing can happen while a timer is pending: its
// time is counted, not waited for (a silent run does not sit idle for the interval of Timer1
// before it starts its work).
void RunTimersHeadless(InstallerRun& run);

// What the exception being handled says: its what(), or that it is of no known kind. Call it
// only inside a catch.
[[nodiscard]] std::string CurrentExceptionText();

// The text said when a run ends on a failure that no step foresaw.
[[nodiscard]] std::string UnexpectedEndText(std::string_view what);

// Runs run() and returns its exit code. An exception that no step caught (a failure of the
// program itself, such as memory running out) is said on the console's standard error and in
// its log, and the run ends with kExitFatalFile, which unattended callers see as a failed run.
[[nodiscard]] int RunReportingUnexpected(Console& console, const std::function<int()>& run);

}  // namespace tunovar
