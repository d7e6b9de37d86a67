// The timers of the window as a run without a window fires them.
#pragma once

#include "startup/installer_run.h"

namespace tunovar::posix {

// Fires each armed timer of the installer's window when its interval has passed, in the order
// they fall due, until the run ends or no timer is armed any more; a timer whose interval
// changes starts counting again from the change. This build has no window to show and takes
// no input, so nothing can happen while a timer is pending: its time is counted, not waited
// for (a silent run does not sit idle for the interval of Timer1 before it starts its work).
void RunTimers(InstallerRun& installer);

}  // namespace tunovar::posix
