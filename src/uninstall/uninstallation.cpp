// Uninstall (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::RunUninstall() {}
bool Installer::CloseWindowByTitle(const std::string&, const std::string&) { return false; }

}  // namespace tunovar
