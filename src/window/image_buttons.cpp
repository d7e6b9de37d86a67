// Image buttons (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::Up_P_MouseDown() {}
void Installer::TextTimerUp_Timer() {}
void Installer::Down_P_MouseDown() {}
void Installer::TextTimerDown_Timer() {}
void Installer::Help_P_MouseDown() {}
void Installer::HelpTimer_Timer() {}
void Installer::CDDB_a_Click() {}
void Installer::CDDB_p_Click() {}
void Installer::Label_Install_Click() {}
void Installer::Label_Cancel_Click() { EndProgram(kExitDone); }
void Installer::EnableControls() {}
void Installer::DisableControls() {}

}  // namespace tunovar
