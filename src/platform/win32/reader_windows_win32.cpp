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

namespace {

// The stand-ins' procedure, in place of their class's own: the class's procedure would paint
// the control over the skin, at once on a change of focus, text or state.
LRESULT CALLBACK ReaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* parent = reinterpret_cast<HWND>(::GetWindowLongPtrA(window, GWLP_HWNDPARENT));
  const auto command = [window](WORD code) {
    return MAKEWPARAM(static_cast<WORD>(::GetWindowLongA(window, GWL_ID)), code);
  };
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the pointer's messages go to the installer window below
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      if (::BeginPaint(window, &paint) != nullptr) ::EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCPAINT:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      return 0;
    case WM_SETFOCUS:
      if (parent != nullptr) ::SendMessageA(parent, WM_COMMAND, command(BN_SETFOCUS), reinterpret_cast<LPARAM>(window));
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      return parent != nullptr ? ::SendMessageA(parent, message, wParam, lParam) : 0;
    case BM_CLICK:
      // Posted: what the press starts (the folder dialog, the installation) must not hold the
      // client that sent it.
      if (parent != nullptr) ::PostMessageA(parent, WM_COMMAND, command(BN_CLICKED), reinterpret_cast<LPARAM>(window));
      return 0;
    case BM_GETCHECK:
      return ::GetWindowLongPtrA(window, GWLP_USERDATA) != 0 ? BST_CHECKED : BST_UNCHECKED;
    case BM_GETSTATE:
      return (::GetWindowLongPtrA(window, GWLP_USERDATA) != 0 ? BST_CHECKED : BST_UNCHECKED) |
             (::GetFocus() == window ? BST_FOCUS : 0);
    case BM_SETCHECK:
      ::SetWindowLongPtrA(window, GWLP_USERDATA, wParam == BST_CHECKED ? 1 : 0);
      return 0;
    case BM_SETSTATE:
    case BM_SETSTYLE:
      return 0;
    case WM_GETDLGCODE:
      return DLGC_BUTTON;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

ReaderWindow::ReaderWindow(HWND parent, HINSTANCE instance, ReaderKind kind, HWND after)
    : parent_(parent), kind_(kind) {
  const char* windowClass = kind == ReaderKind::kStatic ? "STATIC" : "BUTTON";
  DWORD style = WS_CHILD;
  switch (kind) {
    case ReaderKind::kPushButton: style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    case ReaderKind::kCheckBox: style |= BS_CHECKBOX | WS_TABSTOP; break;
    case ReaderKind::kStatic: style |= SS_LEFT | SS_NOPREFIX; break;
  }
  // Transparent: the parent's painting is not clipped where the window lies.
  window_ = ::CreateWindowExA(WS_EX_TRANSPARENT, windowClass, "", style, 0, 0, 0, 0, parent, nullptr, instance,
                              nullptr);
  if (window_ == nullptr) return;
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReaderProc));
  // The system owns the region from here on.
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
