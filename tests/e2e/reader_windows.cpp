// The children of a window as accessibility clients find them, in the order they walk them:
//
//   reader_windows.exe "Ovri TUNOVAR Setup" > children.txt
//   reader_windows.exe --cues 0|1    (sets the system's "show focus marks at once" setting)
//
// A first line "#uistate|<answer to WM_QUERYUISTATE>|cues|<1, 0, or -1: unknown>|dpi|<the
// screen's pixels per inch>", then one
// child a line: "<class>|<window text>|<kind>|<check>|<role>|<name>|<states>". Kind is
// what the window's class and style make it ("push button", "check box", "static", "edit",
// "other") and check what it answers to BM_GETCHECK (1: checked), which is where a client
// reads a button's role and state; role, name and states are what the system's accessibility
// library (oleacc) gives for the window's client object; role "none" and the failure's code
// when it gives no object. States: the words of the flags that matter to a reader
// (focused, checked, unavailable, invisible), blank-separated. Exit code 1 when no such window.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

// IAccessible's interface id, spelled out: the static libraries of the cross compiler may lack it.
const IID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::string Utf8(const wchar_t* text) {
  if (text == nullptr) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(size - 1));
  return out;
}

// Line breaks and the separator would break the line format.
std::string Flat(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == '|') c = ' ';
  }
  return text;
}

const char* RoleName(long role) {
  switch (role) {
    case ROLE_SYSTEM_PUSHBUTTON: return "push button";
    case ROLE_SYSTEM_CHECKBUTTON: return "check box";
    case ROLE_SYSTEM_STATICTEXT: return "static text";
    case ROLE_SYSTEM_TEXT: return "editable text";
    case ROLE_SYSTEM_CLIENT: return "client";
    default: return "other";
  }
}

std::string States(long state) {
  std::string out;
  const struct { long flag; const char* word; } kWords[] = {
      {STATE_SYSTEM_FOCUSED, "focused"}, {STATE_SYSTEM_CHECKED, "checked"},
      {STATE_SYSTEM_UNAVAILABLE, "unavailable"}, {STATE_SYSTEM_INVISIBLE, "invisible"}};
  for (const auto& w : kWords) {
    if ((state & w.flag) != 0) out += out.empty() ? w.word : std::string(" ") + w.word;
  }
  return out;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  char name[64] = {};
  ::GetClassNameA(child, name, static_cast<int>(sizeof name));
  char text[1024] = {};
  ::GetWindowTextA(child, text, static_cast<int>(sizeof text));
  std::string role = "none", accName, states;
  IAccessible* object = nullptr;
  const HRESULT found = ::AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT), kAccessible,
                                                     reinterpret_cast<void**>(&object));
  if (FAILED(found)) {
    char code[32];
    std::snprintf(code, sizeof code, "none %08lx", static_cast<unsigned long>(found));
    role = code;
  }
  if (SUCCEEDED(found) && object != nullptr) {
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT value;
    ::VariantInit(&value);
    if (SUCCEEDED(object->get_accRole(self, &value)) && value.vt == VT_I4) role = RoleName(value.lVal);
    ::VariantClear(&value);
    BSTR bstr = nullptr;
    if (SUCCEEDED(object->get_accName(self, &bstr)) && bstr != nullptr) {
      accName = Utf8(bstr);
      ::SysFreeString(bstr);
    }
    if (SUCCEEDED(object->get_accState(self, &value)) && value.vt == VT_I4) states = States(value.lVal);
    ::VariantClear(&value);
    object->Release();
  }
  const LONG style = ::GetWindowLongA(child, GWL_STYLE);
  const char* kind = "other";
  int check = 0;
  if (lstrcmpiA(name, "Button") == 0) {
    const LONG type = style & BS_TYPEMASK;
    kind = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? "push button"
           : type == BS_CHECKBOX || type == BS_AUTOCHECKBOX  ? "check box"
                                                             : "other";
    check = ::SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  } else if (lstrcmpiA(name, "Static") == 0) {
    kind = "static";
  } else if (lstrcmpiA(name, "Edit") == 0) {
    kind = "edit";
  }
  std::printf("%s|%s|%s|%d|%s|%s|%s\n", name, Flat(text).c_str(), kind, check, role.c_str(), Flat(accName).c_str(),
              states.c_str());
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (argc == 3 && std::string(argv[1]) == "--cues") {
    // The user's setting itself, kept for the programs started next.
    const BOOL show = std::string(argv[2]) == "1" ? TRUE : FALSE;
    return ::SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(show)),
                                   SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)
               ? 0
               : 1;
  }
  HWND window = ::FindWindowA(nullptr, argv[1]);
  if (window == nullptr) return 1;
  ::CoInitialize(nullptr);
  // First the window's own keyboard cues: what it answers to WM_QUERYUISTATE, and the
  // system's setting to show the marks at once (1) or hide them until the keyboard is used (0).
  BOOL cues = TRUE;
  const BOOL known = ::SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0);
  HDC screen = ::GetDC(nullptr);
  const int perInch = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  std::printf("#uistate|%ld|cues|%d|dpi|%d\n", static_cast<long>(::SendMessageA(window, WM_QUERYUISTATE, 0, 0)),
              known ? (cues ? 1 : 0) : -1, perInch);
  ::EnumChildWindows(window, &PrintChild, 0);
  ::CoUninitialize();
  return 0;
}
