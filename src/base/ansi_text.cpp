// ANSI (Windows-1252) string helpers.
#include "base/ansi_text.h"

#include <array>
#include <limits>

namespace tunovar {

namespace {

constexpr char UpperOf(unsigned char u) {
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  // Latin-1 lower-case letters, except the division sign and y with diaeresis.
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
  switch (u) {
    case 0x9A: return static_cast<char>(0x8A);  // s caron
    case 0x9C: return static_cast<char>(0x8C);  // oe
    case 0x9E: return static_cast<char>(0x8E);  // z caron
    case 0xFF: return static_cast<char>(0x9F);  // y diaeresis
    default: return static_cast<char>(u);
  }
}

constexpr char LowerOf(unsigned char u) {
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
  switch (u) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return static_cast<char>(u);
  }
}

// Every path the uninstaller and the installer compare passes through these byte by byte: a
// table costs one load a byte where the rules cost several comparisons.
template <char (*Of)(unsigned char)>
constexpr std::array<char, 256> TableOf() {
  std::array<char, 256> table{};
  for (unsigned i = 0; i < table.size(); ++i) table[i] = Of(static_cast<unsigned char>(i));
  return table;
}
constexpr std::array<char, 256> kUpper = TableOf<UpperOf>();
constexpr std::array<char, 256> kLower = TableOf<LowerOf>();

char Upper(char c) { return kUpper[static_cast<unsigned char>(c)]; }

}  // namespace

char ToUpperAnsi(char c) { return Upper(c); }

char ToLowerAnsi(char c) { return kLower[static_cast<unsigned char>(c)]; }

std::string UCase(std::string_view s) {
  std::string out;
  AssignUCase(out, s);
  return out;
}

void AssignUCase(std::string& out, std::string_view s) {
  out.assign(s);
  for (char& c : out) c = Upper(c);
}

std::string LCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToLowerAnsi(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

std::size_t FindNoCase(std::string_view haystack, std::string_view needle, std::size_t start) {
  if (start > haystack.size()) return std::string_view::npos;
  if (needle.empty()) return start;
  if (needle.size() > haystack.size()) return std::string_view::npos;
  // Searched for every list line and every file copied: the first letter is compared before
  // the rest, as the two characters that are that letter in either case (every upper-case
  // letter of Windows-1252 has one lower-case letter at most, and nothing else maps to it).
  const char upper = ToUpperAnsi(needle[0]);
  const char lower = ToLowerAnsi(upper);
  for (std::size_t i = start; i + needle.size() <= haystack.size(); ++i) {
    const char c = haystack[i];
    if ((c == upper || c == lower) && EqualsNoCase(haystack.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
  return FindNoCase(haystack, needle) != std::string_view::npos;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

bool ReplaceFirstNoCase(std::string& s, std::string_view find, std::string_view replacement) {
  if (find.empty()) return false;
  const std::size_t at = FindNoCase(s, find);
  if (at == std::string::npos) return false;
  s.replace(at, find.size(), replacement);
  return true;
}

std::optional<std::string> DropRight(std::string_view s, std::size_t n) {
  if (n > s.size()) return std::nullopt;
  return std::string(s.substr(0, s.size() - n));
}

std::string_view RightPart(std::string_view s, std::size_t n) {
  return n >= s.size() ? s : s.substr(s.size() - n);
}

std::string Trim(std::string_view s, std::string_view what) {
  const std::size_t b = s.find_first_not_of(what);
  if (b == std::string_view::npos) return std::string();
  return std::string(s.substr(b, s.find_last_not_of(what) - b + 1));
}

std::string TrimRight(std::string_view s, std::string_view what) {
  const std::size_t e = s.find_last_not_of(what);
  return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::optional<std::int32_t> ParseWholeNumber(std::string_view s) {
  const std::string number = Trim(s, kBlanksAndTabs);
  std::size_t i = 0;
  bool negative = false;
  if (i < number.size() && (number[i] == '+' || number[i] == '-')) {
    negative = number[i] == '-';
    ++i;
  }
  if (i == number.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < number.size(); ++i) {
    if (number[i] < '0' || number[i] > '9') return std::nullopt;
    value = value * 10 + (number[i] - '0');
    if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) {
      return std::nullopt;
    }
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

std::string DecimalText(std::int64_t value) { return std::to_string(value); }

}  // namespace tunovar
