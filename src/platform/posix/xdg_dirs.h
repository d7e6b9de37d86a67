// The user's folders on the host as the XDG base directory rules name them.
#pragma once

#include <string>

namespace tunovar::posix {

// $HOME, else the home folder of the user's account entry, else "/".
[[nodiscard]] std::string HomeFolder();
// ${XDG_DATA_HOME:-$HOME/.local/share} (a relative XDG_DATA_HOME is ignored, as the rules say).
[[nodiscard]] std::string DataHome();
// ${XDG_CONFIG_HOME:-$HOME/.config}.
[[nodiscard]] std::string ConfigHome();
// $XDG_RUNTIME_DIR when it names a folder, else $TMPDIR, else /tmp.
[[nodiscard]] std::string RuntimeFolder();
// The folder of this program's own state: DataHome()/tunovar-setup.
[[nodiscard]] std::string SetupDataFolder();

// Creates a folder and every missing folder above it; true when it exists afterwards.
[[nodiscard]] bool MakeHostFolders(const std::string& path);

}  // namespace tunovar::posix
