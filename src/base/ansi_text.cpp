// ANSI string helpers, in the code page in effect.
#include "base/ansi_text.h"

#include "base/code_page.h"

#include <limits>

namespace tunovar {

namespace {

// Equal ignoring letter case, both texts walked character by character from their starts: a
// character of two bytes is equal only to itself.
bool EqualsNoCaseByCharacters(const CodePage& cp, std::string_view a, std::string_view b) {
  for (std::size_t i = 0; i < a.size();) {
    if (cp.IsLeadByte(a[i]) || cp.IsLeadByte(b[i])) {
      const std::size_t n = cp.CharLength(a, i);
      if (cp.CharLength(b, i) != n || a.substr(i, n) != b.substr(i, n)) return false;
      i += n;
      continue;
    }
    if (a[i] != b[i] && cp.Upper(a[i]) != cp.Upper(b[i])) return false;
    ++i;
  }
  return true;
}

// The folding of text in place by fold, character by character: the two bytes of a character
// of two bytes stay as they are.
template <typename Fold>
void FoldInPlace(const CodePage& cp, std::string& text, Fold fold) {
  if (!cp.HasLeadBytes()) {
    for (char& c : text) c = fold(c);
    return;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (cp.IsLeadByte(text[i])) {
      ++i;  // the second byte belongs to its character
      continue;
    }
    text[i] = fold(text[i]);
  }
}

}  // namespace

char ToUpperAnsi(char c) { return ActiveCodePage().Upper(c); }

char ToLowerAnsi(char c) { return ActiveCodePage().Lower(c); }

std::string UCase(std::string_view s) {
  std::string out;
  AssignUCase(out, s);
  return out;
}

void AssignUCase(std::string& out, std::string_view s) {
  const CodePage& cp = ActiveCodePage();
  out.assign(s);
  FoldInPlace(cp, out, [&cp](char c) { return cp.Upper(c); });
}

std::string LCase(std::string_view s) {
  const CodePage& cp = ActiveCodePage();
  std::string out(s);
  FoldInPlace(cp, out, [&cp](char c) { return cp.Lower(c); });
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const CodePage& cp = ActiveCodePage();
  if (cp.HasLeadBytes()) return EqualsNoCaseByCharacters(cp, a, b);
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && cp.Upper(a[i]) != cp.Upper(b[i])) return false;
  }
  return true;
}

std::size_t FindNoCase(std::string_view haystack, std::string_view needle, std::size_t start) {
  if (start > haystack.size()) return std::string_view::npos;
  if (needle.empty()) return start;
  if (needle.size() > haystack.size()) return std::string_view::npos;
  const CodePage& cp = ActiveCodePage();
  if (cp.HasLeadBytes()) {
    // Only where a character starts, and only a match that ends where one ends: "\" is not
    // found in the second byte of a character.
    for (std::size_t i = 0; i + needle.size() <= haystack.size(); i += cp.CharLength(haystack, i)) {
      if (i < start) continue;
      if (EqualsNoCaseByCharacters(cp, haystack.substr(i, needle.size()), needle) &&
          cp.IsCharBoundary(haystack.substr(i), needle.size())) {
        return i;
      }
    }
    return std::string_view::npos;
  }
  // Searched for every list line and every file copied: the first letter is compared before
  // the rest, in upper case.
  const char upper = cp.Upper(needle[0]);
  for (std::size_t i = start; i + needle.size() <= haystack.size(); ++i) {
    const char c = haystack[i];
    if ((c == needle[0] || cp.Upper(c) == upper) && EqualsNoCase(haystack.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
  return FindNoCase(haystack, needle) != std::string_view::npos;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix) &&
         ActiveCodePage().IsCharBoundary(s, prefix.size());
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && ActiveCodePage().IsCharBoundary(s, s.size() - suffix.size()) &&
         EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
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
