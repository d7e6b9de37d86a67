// The sample CD's product program, TUNOVAR\tunOVAR.exe: one window of class "window 0" titled
// "Ovri TUNOVAR" with a line of text, which ends when it is closed. It is what the installer
// starts when the user answers Yes at the end, and what the uninstaller finds and closes
// before it removes anything.
//
// When the variable TUNOVAR_PRODUCT_NOTE names a file, the program appends to it, as it is
// asked to close, the files that lie below its own folder at that moment: one line "closing",
// then one path a line relative to that folder, then "end". A test that keeps the file outside
// the installation sees from it that every installed file was still there when the window
// was closed.
#include <string>

#include "platform/win32/win32.h"

namespace {

constexpr const char* kClassName = "window 0";
constexpr const char* kTitle = "Ovri TUNOVAR";
constexpr const char* kLine = "TUNOVAR is running. Close this window to end it.";
constexpr const char* kNoteVariable = "TUNOVAR_PRODUCT_NOTE";

// The folder of the running program, with a final "\"; empty when it cannot be had.
std::string OwnFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD written = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (written == 0) return {};
    if (written < path.size()) {
      path.resize(written);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of('\\') + 1);
}

// Adds "relative\name\r\n" to LISTING for every file below FOLDER (ending in "\"), depth first.
void ListFiles(const std::string& folder, const std::string& relative, std::string& listing) {
  WIN32_FIND_DATAA found{};
  const tunovar::win32::UniqueFindHandle search(::FindFirstFileA((folder + "*").c_str(), &found));
  if (!search) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      ListFiles(folder + name + "\\", relative + name + "\\", listing);
    } else {
      listing += relative + name + "\r\n";
    }
  } while (::FindNextFileA(search.get(), &found));
}

void AppendToFile(const std::string& path, const std::string& text) {
  const tunovar::win32::UniqueFileHandle file(::CreateFileA(
      path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void NoteFilesOnClosing() {
  char note[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableA(kNoteVariable, note, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::string listing = "closing\r\n";
  const std::string folder = OwnFolder();
  if (!folder.empty()) ListFiles(folder, "", listing);
  AppendToFile(note, listing + "end\r\n");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(window, &paint);
      RECT client{};
      ::GetClientRect(window, &client);
      ::SetBkMode(dc, TRANSPARENT);
      ::DrawTextA(dc, kLine, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_CLOSE:
      NoteFilesOnClosing();
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  if (::RegisterClassExA(&windowClass) == 0) return 1;
  const HWND window = ::CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                        480, 160, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ::ShowWindow(window, show);
  ::UpdateWindow(window);
  MSG message{};
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
