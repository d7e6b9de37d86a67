// A helper of the link group test under Wine: a Program Manager that has stopped carrying out
// commands. It takes up every conversation with "ProgMan" on "Progman" at once, before Wine's
// explorer can (its window stays above all others, and a client asks the windows from the
// front), writes down each command it is sent, and never answers one.
//
// Usage: stalled_progman.exe READY COMMANDS
//   Writes READY once its window is there. Appends each command to COMMANDS, one a line (CR LF).
//   Ends on WM_CLOSE, after 10 minutes at the latest (a test that died must not leave it).
// Exit codes: 0 closed, 1 usage, 2 no window, 3 READY could not be written, 4 the time limit.
#include <windows.h>
#include <dde.h>

#include <cstdio>
#include <string>

namespace {

const char* g_commands = nullptr;

bool Named(ATOM atom, const char* name) {
  char text[64] = {};
  return ::GlobalGetAtomNameA(atom, text, sizeof text) > 0 && ::lstrcmpiA(text, name) == 0;
}

void Append(const char* path, const std::string& text) {
  const HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
}

LRESULT CALLBACK ServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND client = reinterpret_cast<HWND>(wParam);
  switch (message) {
    case WM_DDE_INITIATE:
      if (Named(LOWORD(lParam), "ProgMan") && Named(HIWORD(lParam), "Progman")) {
        ::SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                       MAKELPARAM(::GlobalAddAtomA("ProgMan"), ::GlobalAddAtomA("Progman")));
      }
      return 0;
    case WM_DDE_EXECUTE: {
      const auto memory = reinterpret_cast<HGLOBAL>(lParam);
      if (const char* text = static_cast<const char*>(::GlobalLock(memory)); text != nullptr) {
        Append(g_commands, std::string(text) + "\r\n");
        ::GlobalUnlock(memory);
      }
      return 0;  // never answered
    }
    case WM_DDE_TERMINATE:
      ::PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: stalled_progman READY COMMANDS\n");
    return 1;
  }
  g_commands = argv[2];
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ServerProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TnvStalledProgman";
  ::RegisterClassA(&windowClass);
  const HWND window = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName,
                                        "Stalled Program Manager", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        windowClass.hInstance, nullptr);
  if (window == nullptr) return 2;
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  const HANDLE ready = ::CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 3;
  ::CloseHandle(ready);
  ::SetTimer(window, 1, 10 * 60 * 1000, nullptr);
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER) return 4;
    ::DispatchMessageA(&message);
  }
  return 0;
}
