// Copying (being written).
#include "startup/installer.h"

namespace tunovar {

void Installer::RequireFile(const std::string&) {}
void Installer::ShowFatalError(std::int32_t, const std::string&) { EndProgram(kExitFatalFile); }
void Installer::CreateListedFolders(const StringList&, StringList*) {}
void Installer::CopyListedFiles(const StringList&, const StringList&, StringList*) {}
bool Installer::XFileCopy(const std::string&, const std::string&) { return false; }
void Installer::CopyFileInBlocks(const std::string&, const std::string&, std::optional<std::int64_t>&, std::optional<std::int64_t>&) {}
void Installer::CreateFolderPath(std::string&) {}
bool Installer::FolderExists(const std::string&) { return false; }

}  // namespace tunovar
