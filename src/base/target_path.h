// The target path's repair into the install folder: pure text rules, no file system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tunovar {

// The path text repaired into an install folder: blanks at both ends
// removed, blanks inside become "_", "/" becomes "\", the characters < > | ? * and the double
// quote are removed, and so is every ":" but the second character; the folder then ends in
// "TUNOVAR\" (ignoring case; not doubled), has "\" as its third character and holds no "\\".
// C:/Program Files -> C:\Program_Files\TUNOVAR\ ; D:Games -> D:\Games\TUNOVAR\ .
[[nodiscard]] std::string SanitizeTargetPath(std::string_view text);

// The install folder of a path text: SanitizeTargetPath, then resolved as Windows resolves it
// (base/windows_path.h), so that the records name the folder that really exists. nullopt
// when the repaired text is no full path on a drive ("C", "\Apps", "Ctunovar").
[[nodiscard]] std::optional<std::string> TargetFolderOfText(std::string_view text);

}  // namespace tunovar
