// Browse dialog (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::Browse_P_MouseDown() {}
void Installer::BrowseTargetFolder() {}

}  // namespace tunovar
