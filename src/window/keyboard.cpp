// The keyboard in the installer window: Tab and Shift+Tab through the stops, Enter and Space
// on the stop that has the keyboard, Escape for Cancel.
//
// A press goes through Deliver, as the mouse's click does: it reaches a control only while the
// window is ready and the control visible and enabled, so that a locked window takes nothing
// but Cancel from the keyboard either.
#include "installer/installer.h"
#include "installer/focus_order.h"

namespace tunovar {
namespace {

// The event the mouse gives a stop's handler: the symbol buttons act on the button going
// down, the CDDB option and the text buttons on a click.
Event PressEventOf(FocusStop stop) {
  switch (stop) {
    case FocusStop::kUp:
    case FocusStop::kDown:
    case FocusStop::kHelp:
    case FocusStop::kBrowse:
      return Event::kMouseDown;
    default:
      return Event::kClick;
  }
}

}  // namespace

void Installer::DeliverKey(Key key) {
  if (ended_) return;
  switch (key) {
    case Key::kEscape:
      Deliver(Ctl::Label_Cancel, Event::kClick);
      return;
    case Key::kEnter:
      if (form_.Focus() == FocusStop::kPath) {
        Deliver(Ctl::Label_Install, Event::kClick);
      } else {
        DeliverPress(form_.Focus());
      }
      return;
    case Key::kSpace:
      // In the path box a blank is text: the box has taken it as typing.
      if (form_.Focus() != FocusStop::kPath) DeliverPress(form_.Focus());
      return;
    case Key::kTab:
    case Key::kBackTab:
      if (!form_.Ready()) return;
      if (const auto next = NextStop(form_, form_.Focus(), key == Key::kBackTab)) form_.SetFocus(*next);
      return;
  }
}

void Installer::DeliverPress(FocusStop stop) {
  if (ended_) return;
  // A pair is pressed where the mouse would press it: on its picture that shows.
  if (const std::optional<Ctl> shown = ShownControl(form_, stop)) Deliver(*shown, PressEventOf(stop));
}

void Installer::DeliverFocus(FocusStop stop) {
  if (ended_ || !TakesFocus(form_, stop)) return;
  form_.SetFocus(stop);
}

}  // namespace tunovar
