// The Start Menu's Programs folders, the run's administrator rights and shell links: the
// Win32Shell members a program group of links needs, and the shell's calls for a special
// folder, each of which the platform check compares with the others.
#pragma once

#include <optional>
#include <string>

#include "platform/win32/win32.h"

namespace tunovar::win32 {

// The shell's calls for a special folder, newest first: SHGetFolderPathA (Windows 2000 and Me,
// creating the folder where it is missing), SHGetSpecialFolderPathA (the shell of Internet
// Explorer 4), SHGetSpecialFolderLocation with SHGetPathFromIDListA (Windows 95 and NT 4).
enum class FolderCall { kFolderPath, kSpecialFolderPath, kSpecialFolderLocation };

// The shell has the function(s) of call; they are found at run time, so that the program loads
// where they are missing.
[[nodiscard]] bool ShellHas(FolderCall call);
// The folder csidl through call; nullopt when the shell has no such function or no such folder.
[[nodiscard]] std::optional<std::string> SpecialFolderThrough(FolderCall call, int csidl);

}  // namespace tunovar::win32
