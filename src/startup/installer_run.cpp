// A run of the installer as main and the views see it, and the one way a run ends on a
// failure that no step foresaw.
#include "startup/installer_run.h"

#include <exception>
#include <utility>

#include "startup/installer.h"

namespace tunovar {

std::unique_ptr<InstallerRun> CreateInstallerRun(Platform& platform, LaunchInfo launch,
                                                 Switches switches) {
  return std::make_unique<Installer>(platform, std::move(launch), std::move(switches));
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
