// The two install records: the Windows-folder record "ovrituno.inf" and the removal list
// "defile" that the uninstaller reads.
//
// ovrituno.inf (in the Windows folder), one line:
//   "C:\Apps\TUNOVAR\tunovar\"        the product folder, in double quotes
// defile (in <target>TUNOVAR\runtime\), ANSI, every line ends in CR LF:
//   " 2 "                             the language section, a blank on each side
//   <target>TUNOVAR\tunodoc.gid       always
//   <target>TUNOVAR\burn.lst          always
//   <entry n> ... <entry 1>           placed folders and files, last placed first, without
//                                     any "runtime\deinst.pif" (the batch deletes it itself)
//   #<folder m> ... #<folder 1>       the listed folders again, last first
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tunovar {

class Installer;

// The one line of "ovrituno.inf", with its CR LF.
[[nodiscard]] std::string WindowsFolderRecordText(const std::string& target);

// The first part of "defile": the language line, the two fixed files and the entries.
[[nodiscard]] std::string RemovalListText(std::int32_t langIndex,
                                          const std::vector<std::string>& entries,
                                          const std::string& destPrefix);

// The "#" lines appended to "defile".
[[nodiscard]] std::string FolderEntriesText(const std::vector<std::string>& folders);

// Writes "ovrituno.inf" into the installer's WinDir, replacing an older one.
void WriteWindowsFolderRecord(Installer& installer, const std::string& target);

}  // namespace tunovar
