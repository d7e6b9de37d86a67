// File names matched against a search pattern, as a directory listing of Windows matches them.
#pragma once

#include <string_view>

namespace tunovar {

// "?" stands for one character and "*" for any run of characters (none too); letter case is
// ignored. The pattern "*.*" matches every name, with a dot or without, as on Windows.
[[nodiscard]] bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace tunovar
