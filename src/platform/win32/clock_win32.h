// The clock of a Windows run: timeGetTime and Sleep.
//
// Clock members on Windows: real  TimeMs SleepMs.
#pragma once

#include "platform/clock.h"
#include "platform/win32/win32.h"

#include <mmsystem.h>  // the declaration of timeGetTime, whose address is looked up

namespace tunovar::win32 {

class Win32Clock final : public Clock {
 public:
  Win32Clock();
  Win32Clock(const Win32Clock&) = delete;
  Win32Clock& operator=(const Win32Clock&) = delete;

  [[nodiscard]] std::uint32_t TimeMs() override;
  void SleepMs(std::uint32_t ms) override;

 private:
  using TimeGetTimeFn = decltype(&::timeGetTime);

  // winmm.dll, loaded by full path from the system folder (it is no "known DLL", so a static
  // import would be looked for beside the program first). Without it the tick count serves.
  win32::UniqueModule winmm_;
  TimeGetTimeFn timeGetTime_ = nullptr;
};

}  // namespace tunovar::win32
