// The two install records: the Windows-folder record "ovrituno.inf", and the writing of the
// removal list "defile" (its format: formats/removal_list.h).
//
// ovrituno.inf (in the Windows folder), one line with CR LF:
//   "C:\Apps\TUNOVAR\tunovar\"        the product folder, in double quotes
#pragma once

#include <string>

namespace tunovar {

class Installer;

// The one line of "ovrituno.inf", with its CR LF.
[[nodiscard]] std::string WindowsFolderRecordText(const std::string& target);

// Writes "ovrituno.inf" into the installer's WinDir, replacing an older one.
void WriteWindowsFolderRecord(Installer& installer, const std::string& target);

}  // namespace tunovar
