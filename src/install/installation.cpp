// Installation sequence (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::RunInstallation() {}

}  // namespace tunovar
