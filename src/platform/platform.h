// The set of platform objects one run of the installer uses.
#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace tunovar {

struct Platform {
  FileSystem& fs;
  Shell& shell;
  Ui& ui;
  Console& console;
  Clock& clock;
};

// How this run was started (its command line is handed over parsed, as Switches).
struct LaunchInfo {
  std::string exeFolder;    // Windows path of the executable's folder, as the system gives it
  std::string exeBaseName;  // file name without extension ("install", "deinstal")
};

}  // namespace tunovar
