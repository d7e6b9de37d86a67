// Progress (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::ShowProgress(float, bool) {}

}  // namespace tunovar
