// Installer texts (being written).
#include "startup/installer.h"

namespace tunovar {

std::int32_t Installer::ReadInstallerTexts(const std::string&) { return 0; }
void Installer::ShowLanguageCaptions(std::int32_t) {}
void Installer::UpdateInfoText(std::int32_t) {}
const std::string& Installer::Text(std::int32_t s, int slot) const { return TextTable[static_cast<std::size_t>(s)][static_cast<std::size_t>(slot)]; }

}  // namespace tunovar
