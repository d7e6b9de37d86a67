// Target path (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::Text_InstPath_Change() {}
void Installer::Text_InstPath_DblClick() {}
void Installer::UpdateTargetDrive() {}
void Installer::SetInstPathText(const std::string&) {}

}  // namespace tunovar
