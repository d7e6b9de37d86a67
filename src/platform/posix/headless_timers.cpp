// The timers of the window as a run without a window fires them.
#include "platform/posix/headless_timers.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tunovar::posix {

void RunTimers(InstallerRun& installer) {
  constexpr std::array<Ctl, 4> kTimers = {Ctl::Timer1, Ctl::TextTimerUp, Ctl::TextTimerDown, Ctl::HelpTimer};
  std::array<std::uint64_t, kTimers.size()> due{};
  std::array<int, kTimers.size()> armedWith{};
  std::uint64_t now = 0;  // milliseconds of the run's timer time
  while (!installer.Ended()) {
    bool any = false;
    std::uint64_t next = UINT64_MAX;
    for (std::size_t i = 0; i < kTimers.size(); ++i) {
      const int interval = installer.Window()[kTimers[i]].interval;
      if (interval != armedWith[i]) {
        armedWith[i] = interval;
        due[i] = now + static_cast<std::uint64_t>(std::max(interval, 0));
      }
      if (interval <= 0) continue;
      any = true;
      next = std::min(next, due[i]);
    }
    if (!any) return;
    now = std::max(now, next);
    for (std::size_t i = 0; i < kTimers.size() && !installer.Ended(); ++i) {
      if (armedWith[i] <= 0 || due[i] > now) continue;
      due[i] = now + static_cast<std::uint64_t>(armedWith[i]);
      installer.Deliver(kTimers[i], Event::kTimer);
    }
  }
}

}  // namespace tunovar::posix
