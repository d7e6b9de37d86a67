// Unattended install (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::RunUnattendedInstall() {}

}  // namespace tunovar
