// Records (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::WriteUninstallRecord(const std::string&, const StringList&, const std::string&) {}
void Installer::AppendFolderEntries(const std::string&, const StringList&) {}

}  // namespace tunovar
