// A run of the installer as main and the views see it, and the one way a run ends on a
// failure that no step foresaw.
#include "installer/installer_run.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <utility>

#include "installer/installer.h"

namespace tunovar {

std::unique_ptr<InstallerRun> CreateInstallerRun(Platform& platform, LaunchInfo launch,
                                                 Switches switches) {
  return std::make_unique<Installer>(platform, std::move(launch), std::move(switches));
}

void RunTimersHeadless(InstallerRun& installer) {
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

std::string CurrentExceptionText() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "a failure of no known kind";
  }
}

std::string UnexpectedEndText(std::string_view what) {
  return "The installer stopped on an unexpected failure: " + std::string(what);
}

int RunReportingUnexpected(Console& console, const std::function<int()>& run) {
  try {
    return run();
  } catch (...) {
    // Said once on standard error and once in the log. When even saying it fails (no memory
    // left at all), the exit code is the one report that remains.
    try {
      const std::string text = UnexpectedEndText(CurrentExceptionText());
      console.WriteError(text);
      console.WriteLog(text);
    } catch (...) {
    }
    return kExitFatalFile;
  }
}

}  // namespace tunovar
