// What of an installation stays once its removal batch has run: the uninstaller says the
// product was removed only when nothing does.
#pragma once

#include <string>
#include <vector>

#include "formats/removal_list.h"
#include "platform/file_system.h"

namespace tunovar {

// The ordinary files in the product folder (installDir, without its final "\"), the runtime
// folder (appPath) and every listed folder that still exists below the product folder, less
// those the batch deletes when it runs (batchRuns): the files of its waiting blocks, its own
// two files, and the listed files, for each of which it has a line. Full paths in the order
// of their names, letter case ignored. Files in folders that no entry names are not seen.
[[nodiscard]] std::vector<std::string> FilesThatStay(FileSystem& fs, const std::string& appPath,
                                                     const std::string& installDir, const RemovalList& list,
                                                     bool batchRuns);

}  // namespace tunovar
