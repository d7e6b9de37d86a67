// The stand-ins of the skin's drawn controls for accessibility clients.
#include "platform/win32/reader_windows_win32.h"

namespace tunovar::win32 {

std::string ButtonText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}

ReaderWindow::ReaderWindow(HWND parent, HINSTANCE instance, ReaderKind kind, HWND after) : parent_(parent), kind_(kind) {
  const char* windowClass = kind == ReaderKind::kStatic ? "STATIC" : "BUTTON";
  DWORD style = WS_CHILD;
  switch (kind) {
    case ReaderKind::kPushButton: style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    // The option's state is the window model's: the box never ticks itself.
    case ReaderKind::kCheckBox: style |= BS_CHECKBOX | WS_TABSTOP; break;
    case ReaderKind::kStatic: style |= SS_LEFT | SS_NOPREFIX; break;
  }
  window_ = ::CreateWindowExA(0, windowClass, "", style, 0, 0, 0, 0, parent, nullptr, instance, nullptr);
  if (window_ == nullptr) return;
  // No pixel of its own: the installer window draws the control, and the pointer's clicks and
  // the parent's painting pass where the window lies. The system owns the region from here on.
  HRGN none = ::CreateRectRgn(0, 0, 0, 0);
  if (none != nullptr && ::SetWindowRgn(window_, none, FALSE) == 0) ::DeleteObject(none);
  ::SetWindowPos(window_, after != nullptr ? after : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  shown_.visible = false;
}

void ReaderWindow::Sync(const ReaderState& state) {
  if (window_ == nullptr) return;
  if (state.text != shown_.text) {
    const std::string text = kind_ == ReaderKind::kStatic ? state.text : ButtonText(state.text);
    ::SetWindowTextA(window_, text.c_str());
  }
  const RECT& r = state.rect;
  const RECT& was = shown_.rect;
  if (r.left != was.left || r.top != was.top || r.right != was.right || r.bottom != was.bottom) {
    ::MoveWindow(window_, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  }
  if (!state.enabled && shown_.enabled && ::GetFocus() == window_) ::SetFocus(parent_);
  if (state.enabled != shown_.enabled) ::EnableWindow(window_, state.enabled ? TRUE : FALSE);
  if (kind_ == ReaderKind::kCheckBox && state.checked != shown_.checked) {
    ::SendMessageA(window_, BM_SETCHECK, state.checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  if (state.visible != shown_.visible) ::ShowWindow(window_, state.visible ? SW_SHOWNA : SW_HIDE);
  shown_ = state;
}

}  // namespace tunovar::win32
