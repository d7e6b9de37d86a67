// Small text files of the host (menu entries, the uninstall entry): written whole, read whole.
#pragma once

#include <optional>
#include <string>

namespace tunovar::posix {

// Writes bytes to a temporary file beside path and renames it over path, so a reader never
// sees half a file; the folders above it are made when missing.
[[nodiscard]] bool WriteHostFile(const std::string& path, const std::string& bytes);
[[nodiscard]] std::optional<std::string> ReadHostFile(const std::string& path);
// True when the file is gone afterwards (it may have been missing).
bool RemoveHostFile(const std::string& path);

}  // namespace tunovar::posix
