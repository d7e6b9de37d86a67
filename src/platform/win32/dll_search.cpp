// Restricting where the program loads DLLs from.
#include "platform/win32/win32.h"

namespace tunovar::win32 {

void RestrictDllSearchToSystem() {
  // SetDefaultDllDirectories came with an update of Windows 7; resolved at run time so the
  // program still starts on a system without it.
  if (const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll"); kernel32 != nullptr) {
    const auto setDefault = win32::ProcAddress<decltype(&::SetDefaultDllDirectories)>(
        kernel32, "SetDefaultDllDirectories");
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // Takes the current folder out of the search as well (the CD, a download folder).
  ::SetDllDirectoryA("");
}

}  // namespace tunovar::win32
