// Windows of the system's standard classes that stand in for the skin's drawn controls before
// screen readers and other accessibility clients: a push button, a check box or a static text
// at each drawn control's place, with its name, state and position, that never paints and
// never takes the mouse. The skin stays as the installer window draws it, under them too (they
// are transparent to its painting and to the pointer, and have an empty window region where
// the system honours one), and the window hit-tests the pictures itself.
//
// A stand-in button tells its parent what a button tells it: WM_COMMAND with BN_SETFOCUS when
// it gets the keyboard, with BN_CLICKED (posted) when a client presses it (BM_CLICK); its keys
// go to the parent as they came. Its check state is the one last synced (BM_GETCHECK).
#pragma once

#include <string>

#include "platform/win32/win32.h"

namespace tunovar::win32 {

enum class ReaderKind { kPushButton, kCheckBox, kStatic };

// What a reader window shows a client.
struct ReaderState {
  std::string text;
  RECT rect{};
  bool visible = true;
  bool enabled = true;
  bool checked = false;  // a check box's state
};

class ReaderWindow {
 public:
  // Creates the window (hidden, empty) as a child of parent, next after `after` in the order
  // clients walk the children (nullptr: first). Handle() is nullptr when the system could not
  // make it; the window ends with its parent.
  ReaderWindow(HWND parent, HINSTANCE instance, ReaderKind kind, HWND after);

  [[nodiscard]] HWND Handle() const { return window_; }
  [[nodiscard]] ReaderKind Kind() const { return kind_; }

  // Brings the window to state, touching only what differs (each change is an event that
  // clients hear). A window disabled while it has the keyboard hands it to the parent first:
  // the system would leave it with no window at all, and Escape would reach nothing.
  void Sync(const ReaderState& state);

 private:
  HWND parent_;
  HWND window_ = nullptr;
  ReaderKind kind_;
  ReaderState shown_;
};

// A button's text as the system shows it: every "&" doubled, so that none is taken for the
// mark of an access key and dropped from the name.
[[nodiscard]] std::string ButtonText(const std::string& text);

}  // namespace tunovar::win32
