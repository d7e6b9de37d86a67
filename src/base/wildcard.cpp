// File names matched against a search pattern.
#include "base/wildcard.h"

#include "base/code_page.h"

namespace tunovar {

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") pattern = "*";
  // Character by character: "?" stands for a character of two bytes as for one of one byte,
  // and such a character matches only itself.
  const CodePage& cp = ActiveCodePage();
  const auto matchesAt = [&](std::size_t p, std::size_t n) {
    const std::size_t patternLength = cp.CharLength(pattern, p);
    const std::size_t nameLength = cp.CharLength(name, n);
    if (patternLength == 1 && pattern[p] == '?') return nameLength;
    if (patternLength != nameLength) return std::size_t{0};
    if (nameLength == 2) return pattern.substr(p, 2) == name.substr(n, 2) ? std::size_t{2} : std::size_t{0};
    return cp.Upper(pattern[p]) == cp.Upper(name[n]) ? std::size_t{1} : std::size_t{0};
  };
  // One pass with a single step back to the last "*": linear in practice, never recursive.
  std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    const std::size_t matched = p < pattern.size() && pattern[p] != '*' ? matchesAt(p, n) : 0;
    if (matched != 0) {
      p += cp.CharLength(pattern, p);
      n += matched;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      starN += cp.CharLength(name, starN);
      n = starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace tunovar
