// How long a path the Windows ANSI file functions can create, replace and remove.
//
// They take at most MAX_PATH (260) characters with the closing NUL. A folder is created only
// where there is room for an 8.3 name below it (MAX_PATH - 12), and a file is replaced through a
// temporary file of a 12-character name in its folder. A path beyond these limits would be
// placed in part, or placed but never found again by the uninstaller: the installation
// refuses the target before anything is created.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/string_list.h"

namespace tunovar {

inline constexpr std::size_t kMaxFilePath = 259;
inline constexpr std::size_t kMaxFolderPath = 247;
inline constexpr std::size_t kReplacementNameLength = 12;

// A path that cannot be placed, with its length and the limit it exceeds.
struct PathTooLong {
  std::string path;
  std::size_t length = 0;
  std::size_t limit = 0;
};

// The first folder (a final "\" not counted) or file path, in that order, that lies beyond
// the limits; nullopt when every one can be placed. A file counts by its own length and by
// its folder's (the folder part with its "\" and the temporary name).
[[nodiscard]] std::optional<PathTooLong> FirstPathTooLong(const StringList& folders, const StringList& files);

// The same for a single file path.
[[nodiscard]] std::optional<PathTooLong> FilePathTooLong(std::string_view file);

}  // namespace tunovar
