// Windows path rules that the installer and the uninstaller share: pure text, no file system.
#pragma once

#include <string_view>

namespace tunovar {

// A component that Windows reads as a step upwards or as no step at all ("..", ".", "...",
// ".. "): it drops trailing dots and blanks from names. An empty component is none of these.
[[nodiscard]] bool IsDotsComponent(std::string_view component);

// The path holds such a component; "/" separates components as "\" does. The installer
// places no such list line, the uninstaller acts on no such entry, and the batch's folder
// chain stops below one.
[[nodiscard]] bool HasDotsComponent(std::string_view path);

}  // namespace tunovar
