// Language selection and the list-file reader (being written).
#include "startup/installer.h"

namespace tunovar {

std::int32_t Installer::GetSystemLanguage() { return 1; }
void Installer::ReadListFile(const std::string&, StringList&, StringList&, const std::string&) {}

}  // namespace tunovar
