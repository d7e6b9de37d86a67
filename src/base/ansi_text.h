// ANSI string helpers: letter case ignored everywhere, as the installer compares, by the rules
// of the code page in effect (base/code_page.h): a character of two bytes is compared, searched
// and kept whole, never folded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tunovar {

inline constexpr std::string_view kCrLf = "\r\n";

// Upper and lower case of a single byte in the code page in effect (in Windows-1252: ASCII, the
// accented Latin-1 letters and the few letters of 0x80..0x9F); a lead byte and every byte
// without a case are returned unchanged. A text is folded by UCase and LCase, which pass the
// second byte of a character by.
[[nodiscard]] char ToUpperAnsi(char c);
[[nodiscard]] char ToLowerAnsi(char c);
[[nodiscard]] std::string UCase(std::string_view s);
// UCase(s) written into out, which keeps its room: nothing is allocated once it is large enough.
void AssignUCase(std::string& out, std::string_view s);
[[nodiscard]] std::string LCase(std::string_view s);

[[nodiscard]] bool EqualsNoCase(std::string_view a, std::string_view b);
// Position of the first occurrence of needle at or after start, letter case ignored; npos if none.
[[nodiscard]] std::size_t FindNoCase(std::string_view haystack, std::string_view needle,
                                     std::size_t start = 0);
[[nodiscard]] bool ContainsNoCase(std::string_view haystack, std::string_view needle);
[[nodiscard]] bool StartsWithNoCase(std::string_view s, std::string_view prefix);
[[nodiscard]] bool EndsWithNoCase(std::string_view s, std::string_view suffix);

// Replaces the first occurrence of find (letter case ignored); false when there was none.
bool ReplaceFirstNoCase(std::string& s, std::string_view find, std::string_view replacement);

// The string without its last n characters; nullopt when it has fewer than n, which is the
// statement that fails (and is skipped) where the installer shortens a path.
[[nodiscard]] std::optional<std::string> DropRight(std::string_view s, std::size_t n);
// The last n characters, or the whole string when it is shorter.
[[nodiscard]] std::string_view RightPart(std::string_view s, std::size_t n);

// What Trim removes: blanks, as the installer trims its texts; the batch and the command
// line also take tabs for blanks.
inline constexpr std::string_view kBlanks = " ";
inline constexpr std::string_view kBlanksAndTabs = " \t";

// The text without the characters of `what` at both ends / at its end.
[[nodiscard]] std::string Trim(std::string_view s, std::string_view what = kBlanks);
[[nodiscard]] std::string TrimRight(std::string_view s, std::string_view what = kBlanks);

// A whole number in the text: blanks and tabs around it allowed, an optional sign, decimal
// digits. Anything else, or a value outside 32 bits, gives nullopt: the conversion fails and
// the caller keeps its previous value.
[[nodiscard]] std::optional<std::int32_t> ParseWholeNumber(std::string_view s);

// Plain decimal digits, with a minus sign when negative.
[[nodiscard]] std::string DecimalText(std::int64_t value);

}  // namespace tunovar
