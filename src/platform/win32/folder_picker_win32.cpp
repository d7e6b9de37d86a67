// The folder chooser of a Windows run: the system's folder dialog.
#include "platform/win32/folder_picker_win32.h"

#include <array>

#include "base/ansi_text.h"

namespace tunovar::win32 {

void Win32FolderPicker::SetOptions(int first, int second, bool third) {
  const UINT bits = static_cast<UINT>(first | second) & (BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN);
  flags_ = bits | (third ? BIF_NEWDIALOGSTYLE : 0u);
}

bool Win32FolderPicker::Preselect(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  if (folder.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return false;
  }
  preselected_ = folder;
  return true;
}

std::optional<std::string> Win32FolderPicker::ShowModal() {
  // The newer dialog style needs OLE on this thread; an earlier initialisation is kept.
  const HRESULT ole = ::OleInitialize(nullptr);
  PIDLIST_ABSOLUTE root = RootFolder();

  std::array<char, MAX_PATH> displayName{};
  BROWSEINFOA info{};
  info.hwndOwner = (owner_ != nullptr && ::IsWindowVisible(owner_)) ? owner_ : nullptr;
  info.pidlRoot = root;
  info.pszDisplayName = displayName.data();
  info.ulFlags = flags_;
  info.lpfn = &Callback;
  info.lParam = reinterpret_cast<LPARAM>(this);

  std::optional<std::string> chosen;
  if (PIDLIST_ABSOLUTE item = ::SHBrowseForFolderA(&info)) {
    std::array<char, MAX_PATH> path{};
    // A choice outside the file system (a printer, the network) counts as no choice.
    if (::SHGetPathFromIDListA(item, path.data()) && path[0] != '\0') chosen = std::string(path.data());
    ::CoTaskMemFree(item);
  }
  if (root != nullptr) ::CoTaskMemFree(root);
  if (SUCCEEDED(ole)) ::OleUninitialize();
  return chosen;
}

PIDLIST_ABSOLUTE Win32FolderPicker::RootFolder() const {
  if (root_.empty() || EqualsNoCase(root_, "Desktop")) return nullptr;
  const int length = ::MultiByteToWideChar(CP_ACP, 0, root_.c_str(), -1, nullptr, 0);
  if (length <= 0) return nullptr;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, root_.c_str(), -1, wide.data(), length);
  PIDLIST_ABSOLUTE root = nullptr;
  const SystemCalls& calls = ThisSystem();
  if (calls.shParseDisplayName != nullptr) {
    if (FAILED(calls.shParseDisplayName(wide.c_str(), nullptr, &root, 0, nullptr))) return nullptr;
    return root;
  }
  // Before XP: the desktop folder parses the name, as SHParseDisplayName does for it.
  IShellFolder* desktop = nullptr;
  if (FAILED(::SHGetDesktopFolder(&desktop)) || desktop == nullptr) return nullptr;
  PIDLIST_RELATIVE parsed = nullptr;
  const HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &parsed, nullptr);
  desktop->Release();
  if (FAILED(hr)) return nullptr;
  // Parsed by the desktop, the item list is absolute.
  return reinterpret_cast<PIDLIST_ABSOLUTE>(parsed);
}

int CALLBACK Win32FolderPicker::Callback(HWND dialog, UINT message, LPARAM, LPARAM data) {
  const auto* self = reinterpret_cast<const Win32FolderPicker*>(data);
  if (message == BFFM_INITIALIZED && self != nullptr && !self->preselected_.empty()) {
    ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(self->preselected_.c_str()));
  }
  return 0;
}

}  // namespace tunovar::win32
