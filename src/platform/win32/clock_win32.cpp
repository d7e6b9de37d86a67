// The clock of a Windows run.
#include "platform/win32/clock_win32.h"

#include <string>

namespace tunovar::win32 {

Win32Clock::Win32Clock() {
  char folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length > 0 && length < MAX_PATH - 11) {
    const std::string path = std::string(folder, length) + "\\winmm.dll";
    winmm_.reset(::LoadLibraryA(path.c_str()));
    if (winmm_) timeGetTime_ = win32::ProcAddress<TimeGetTimeFn>(winmm_.get(), "timeGetTime");
  }
}

std::uint32_t Win32Clock::TimeMs() {
  return timeGetTime_ != nullptr ? timeGetTime_() : ::GetTickCount();
}

void Win32Clock::SleepMs(std::uint32_t ms) { ::Sleep(ms); }

}  // namespace tunovar::win32
