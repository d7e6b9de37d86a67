// Program group (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::ReadGroupFile(const std::string&, std::int32_t&) {}
void Installer::CreateProgramGroup(const std::string&) {}
void Installer::DeleteProgramGroup() {}
void Installer::PerformDDE() {}

}  // namespace tunovar
