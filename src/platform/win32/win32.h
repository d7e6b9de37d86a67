// The one include of <windows.h> for the Win32 back-end, with scoped handle types.
//
// Only code for Win32 belongs in this folder. Every file here includes this header instead of
// <windows.h>, so the target version and the trimmed header set are the same everywhere
// (mingw-w64 would otherwise pick an older _WIN32_WINNT).
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifdef _WIN32_WINNT
#undef _WIN32_WINNT
#endif
#define _WIN32_WINNT 0x0601
#ifdef WINVER
#undef WINVER
#endif
#define WINVER 0x0601

#include <windows.h>
// For the newer calls of ole32 and shell32 in SystemCalls.
#include <objbase.h>
#include <shlobj.h>

// FileSystem::DeleteFile shares its name with the A/W macro; the back-end calls DeleteFileA.
#undef DeleteFile

#include <cstdint>
#include <type_traits>

#include "base/unique_resource.h"

namespace tunovar::win32 {

// Owns one handle of a kind closed by Close (CloseHandle, FindClose, RegCloseKey...).
// Invalid is the value the opening call gives on failure.
template <typename H, auto Close, auto Invalid>
struct HandleTraits {
  using Handle = H;
  static Handle None() { return reinterpret_cast<Handle>(Invalid); }
  static void Release(Handle handle) { Close(handle); }
};
template <typename Handle, auto Close, auto Invalid>
using UniqueHandleOf = UniqueResource<HandleTraits<Handle, Close, Invalid>>;

namespace detail {
inline void CloseKernelHandle(HANDLE handle) { ::CloseHandle(handle); }
inline void CloseFind(HANDLE handle) { ::FindClose(handle); }
inline void CloseRegKey(HKEY key) { ::RegCloseKey(key); }
inline void ReleaseLibrary(HMODULE module) { ::FreeLibrary(module); }
}  // namespace detail

// CreateFileA results: INVALID_HANDLE_VALUE on failure.
using UniqueFileHandle =
    UniqueHandleOf<HANDLE, detail::CloseKernelHandle, static_cast<std::intptr_t>(-1)>;
// CreateMutexA, CreateEventA, process and thread handles: NULL on failure.
using UniqueHandle = UniqueHandleOf<HANDLE, detail::CloseKernelHandle, std::intptr_t{0}>;
// FindFirstFileA results: INVALID_HANDLE_VALUE on failure.
using UniqueFindHandle = UniqueHandleOf<HANDLE, detail::CloseFind, static_cast<std::intptr_t>(-1)>;
// RegOpenKeyExA / RegCreateKeyExA results: NULL when not opened.
using UniqueRegKey = UniqueHandleOf<HKEY, detail::CloseRegKey, std::intptr_t{0}>;
// LoadLibraryA results: NULL on failure.
using UniqueModule = UniqueHandleOf<HMODULE, detail::ReleaseLibrary, std::intptr_t{0}>;

// The export NAME of MODULE as Function, the type the system's headers declare for it: pass
// decltype(&::TheFunction), never a type written by hand, so that the arguments and the
// calling convention (WINAPI, which only the 32-bit build tells apart) cannot disagree with
// the function's own. nullptr when the module does not export it.
template <typename Function>
Function ProcAddress(HMODULE module, const char* name) {
  static_assert(std::is_pointer_v<Function> && std::is_function_v<std::remove_pointer_t<Function>>,
                "a pointer to the declared function");
  // FARPROC stands for every export; the one conversion to the real type passes through the
  // generic function pointer, the form the compiler accepts without a function-type warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// The calls of newer Windows that the back-end uses where the system has them, found at run
// time: the program imports none of them, so that it loads on Windows 95 and NT 4, where the
// loader refuses a program that imports a function the system lacks (scripts/check-imports
// holds the imports to what those systems export). Each is null where this system lacks it,
// and the caller then does the same job with calls that every 32-bit Windows has.
struct SystemCalls {
  // Windows 95, 98 or Me: no process there has ntdll.dll, which every process of NT-family
  // Windows has, whatever version a compatibility mode reports. There MoveFileExA exists but
  // only fails, no folder can be opened as a file, and a file is opened for writing only
  // with GENERIC_WRITE.
  bool dosBased = false;
  decltype(&::AttachConsole) attachConsole = nullptr;                            // XP
  decltype(&::SetDllDirectoryA) setDllDirectory = nullptr;                       // XP SP1
  decltype(&::SetDefaultDllDirectories) setDefaultDllDirectories = nullptr;      // 8, 7 updated
  decltype(&::GetFileAttributesExA) getFileAttributesEx = nullptr;               // 98, NT 4
  decltype(&::GetDiskFreeSpaceExA) getDiskFreeSpaceEx = nullptr;                 // 95 OSR 2, NT 4
  decltype(&::GetLongPathNameA) getLongPathName = nullptr;                       // 98, 2000
  decltype(&::GetFinalPathNameByHandleA) getFinalPathNameByHandle = nullptr;     // Vista
  decltype(&::SHParseDisplayName) shParseDisplayName = nullptr;                  // XP
  decltype(&::CoInitializeEx) coInitializeEx = nullptr;                          // NT 4, 95 DCOM
  decltype(&::TranslateCharsetInfo) translateCharsetInfo = nullptr;              // gdi32; not listed for 95
};

// What this system has, looked up once.
[[nodiscard]] const SystemCalls& ThisSystem();
// The oldest system the program runs on: DOS-based, none of the newer calls. A check passes it
// to a back-end object to take every fallback on a newer system.
[[nodiscard]] SystemCalls OldestSystem();

// COM on this thread for as long as the scope lives: it joins an apartment the program
// already has and leaves only what it entered.
class ComScope {
 public:
  // Without CoInitializeEx (Windows 95 without DCOM) CoInitialize joins the same kind of
  // apartment, only with the OLE 1 DDE window that the flag spares.
  explicit ComScope(const SystemCalls& calls)
      : hr_(calls.coInitializeEx != nullptr
                ? calls.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
                : ::CoInitialize(nullptr)) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }

 private:
  HRESULT hr_;
};

// Loads DLLs only from the system folder from here on, never from the program's own folder
// or the current one: the installer runs from a CD or a download folder where a planted
// DLL would otherwise be loaded in its place. Call it first thing in WinMain. Windows before XP
// SP1 cannot be told so; a static program that loads its one optional DLL by its full path
// leaves only what the system itself loads to that search.
void RestrictDllSearchToSystem(const SystemCalls& calls = ThisSystem());

}  // namespace tunovar::win32
