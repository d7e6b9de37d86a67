// Small text files of the host (menu entries, the uninstall entry): written whole, read whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tunovar::posix {

// Writes bytes to a temporary file beside path and renames it over path, so a reader never
// sees half a file; the folders above it are made when missing.
[[nodiscard]] bool WriteHostFile(const std::string& path, const std::string& bytes);
[[nodiscard]] std::optional<std::string> ReadHostFile(const std::string& path);
// True when the file is gone afterwards (it may have been missing).
bool RemoveHostFile(const std::string& path);

// Writes every byte to fd, again after an interruption. False when the system takes no more;
// errno then tells why (EIO when a write took nothing without naming an error).
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes);

}  // namespace tunovar::posix
