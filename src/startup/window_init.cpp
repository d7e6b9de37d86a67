// Window initialisation (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::InitInstallerWindow() {}

}  // namespace tunovar
