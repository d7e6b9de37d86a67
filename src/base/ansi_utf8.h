// Windows-1252 text of the installer <-> UTF-8 text of the host (file names, terminal, log).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tunovar {

// Every Windows-1252 byte has a character: the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number, as the
// system's own conversion does.
[[nodiscard]] std::string AnsiToUtf8(std::string_view ansi);

// nullopt when the text is no valid UTF-8 or holds a character Windows-1252 cannot write.
[[nodiscard]] std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

// True when the bytes are well-formed UTF-8.
[[nodiscard]] bool IsValidUtf8(std::string_view bytes);

// As Utf8ToAnsi, but a character that has no Windows-1252 byte (or a broken sequence) becomes
// "?", as the system's conversion of a command line does.
[[nodiscard]] std::string Utf8ToAnsiLossy(std::string_view utf8);

}  // namespace tunovar
