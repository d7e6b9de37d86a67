// The visible top-level windows of the Wine session as the system orders them, front first:
//
//   window_list.exe > windows.txt
//
// One window a line: "<front>|<topmost>|<class>|<owner's title>|<title>", where front is 1 for
// the foreground window and topmost 1 for a window that stays above all others. The X stacking
// that screenshots show is no guide here: without a window manager Wine leaves a window that
// appears later above one that the system keeps in front.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string TitleOf(HWND window) {
  if (window == nullptr) return {};
  char title[256] = {};
  const int length = ::GetWindowTextA(window, title, static_cast<int>(sizeof title));
  return std::string(title, length > 0 ? static_cast<std::size_t>(length) : 0);
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM foreground) {
  if (!::IsWindowVisible(window)) return TRUE;
  char name[128] = {};
  ::GetClassNameA(window, name, static_cast<int>(sizeof name));
  const bool topmost = (::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  std::printf("%d|%d|%s|%s|%s\n", reinterpret_cast<HWND>(foreground) == window ? 1 : 0, topmost ? 1 : 0, name,
              TitleOf(::GetWindow(window, GW_OWNER)).c_str(), TitleOf(window).c_str());
  return TRUE;
}

}  // namespace

int main() {
  ::EnumWindows(&PrintWindow, reinterpret_cast<LPARAM>(::GetForegroundWindow()));
  return 0;
}
