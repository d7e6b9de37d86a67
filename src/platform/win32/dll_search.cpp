// What this system has, and restricting where the program loads DLLs from.
#include "platform/win32/win32.h"

namespace tunovar::win32 {
namespace {

SystemCalls LookUpThisSystem() {
  SystemCalls calls;
  // Loaded with every process: kernel32 always, gdi32, ole32 and shell32 because the program
  // imports from them.
  const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
  const HMODULE ole32 = ::GetModuleHandleA("ole32.dll");
  const HMODULE shell32 = ::GetModuleHandleA("shell32.dll");
  calls.dosBased = ::GetModuleHandleA("ntdll.dll") == nullptr;
  if (kernel32 != nullptr) {
    calls.attachConsole = ProcAddress<decltype(&::AttachConsole)>(kernel32, "AttachConsole");
    calls.setDllDirectory = ProcAddress<decltype(&::SetDllDirectoryA)>(kernel32, "SetDllDirectoryA");
    calls.setDefaultDllDirectories =
        ProcAddress<decltype(&::SetDefaultDllDirectories)>(kernel32, "SetDefaultDllDirectories");
    calls.getFileAttributesEx =
        ProcAddress<decltype(&::GetFileAttributesExA)>(kernel32, "GetFileAttributesExA");
    calls.getDiskFreeSpaceEx = ProcAddress<decltype(&::GetDiskFreeSpaceExA)>(kernel32, "GetDiskFreeSpaceExA");
    calls.getLongPathName = ProcAddress<decltype(&::GetLongPathNameA)>(kernel32, "GetLongPathNameA");
    calls.getFinalPathNameByHandle =
        ProcAddress<decltype(&::GetFinalPathNameByHandleA)>(kernel32, "GetFinalPathNameByHandleA");
  }
  if (const HMODULE gdi32 = ::GetModuleHandleA("gdi32.dll"); gdi32 != nullptr) {
    calls.translateCharsetInfo =
        ProcAddress<decltype(&::TranslateCharsetInfo)>(gdi32, "TranslateCharsetInfo");
  }
  if (ole32 != nullptr) calls.coInitializeEx = ProcAddress<decltype(&::CoInitializeEx)>(ole32, "CoInitializeEx");
  if (shell32 != nullptr) {
    calls.shParseDisplayName = ProcAddress<decltype(&::SHParseDisplayName)>(shell32, "SHParseDisplayName");
  }
  return calls;
}

}  // namespace

const SystemCalls& ThisSystem() {
  static const SystemCalls calls = LookUpThisSystem();
  return calls;
}

SystemCalls OldestSystem() {
  SystemCalls calls;
  calls.dosBased = true;
  return calls;
}

void RestrictDllSearchToSystem(const SystemCalls& calls) {
  if (calls.setDefaultDllDirectories != nullptr) calls.setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Takes the current folder out of the search as well (the CD, a download folder).
  if (calls.setDllDirectory != nullptr) calls.setDllDirectory("");
}

}  // namespace tunovar::win32
