// Names of files on a host whose names are UTF-8 (Linux), joined and read in Windows-1252.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tunovar {

// folder & "/" & name (no "/" doubled).
[[nodiscard]] std::string Join(const std::string& folder, std::string_view name);

// Plain ASCII: the same bytes in Windows-1252 and in UTF-8.
[[nodiscard]] bool IsAscii(std::string_view s);

// The Windows-1252 spelling of a name on disk: its UTF-8 converted; for a name that is no
// valid UTF-8 at all (an old Latin-1 medium), its bytes as they are; nullopt for a UTF-8 name
// with a character that Windows-1252 cannot write.
[[nodiscard]] std::optional<std::string> AnsiNameOf(std::string_view diskName);

// The key of a name on disk: its Windows-1252 spelling in upper case.
[[nodiscard]] std::optional<std::string> KeyOfDiskName(std::string_view diskName);

}  // namespace tunovar
