// Windows path rules as pure text.
#include "base/windows_path.h"

#include "base/code_page.h"

namespace tunovar {
namespace {

char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
// Asked for every character of every path the file system is given: compared directly.
bool IsSeparator(char c) {
  static_assert(kPathSeparators == "\\/");
  return c == '\\' || c == '/';
}

// Calls take(component) for each component of path split at the separators, empty ones
// included.
// Character by character: the set holds one or two separators, and a search of the set for
// each character of a path costs more than the comparisons.
// On a double-byte code page the second byte of a character is passed by: it may be 0x5C.
template <typename Take, typename IsSeparatorOf>
void ForEachComponentSplitBy(std::string_view path, IsSeparatorOf isSeparator, Take take) {
  const CodePage& cp = ActiveCodePage();
  const bool doubleBytes = cp.HasLeadBytes();
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || isSeparator(path[i])) {
      take(path.substr(start, i - start));
      start = i + 1;
    } else if (doubleBytes && cp.IsLeadByte(path[i]) && i + 1 < path.size()) {
      ++i;
    }
  }
}

template <typename Take>
void ForEachComponent(std::string_view path, std::string_view separators, Take take) {
  if (separators == kPathSeparators) {
    ForEachComponentSplitBy(path, IsSeparator, take);
    return;
  }
  ForEachComponentSplitBy(
      path, [separators](char c) { return separators.find(c) != std::string_view::npos; }, take);
}

}  // namespace

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HoldsForbiddenCharacter(std::string_view text, NameScope scope) {
  const CodePage& cp = ActiveCodePage();
  for (std::size_t i = 0; i < text.size(); i += cp.CharLength(text, i)) {
    const char c = text[i];
    if (!ForbiddenInName(c)) continue;  // a separator is no forbidden character either
    if (scope == NameScope::kWholePath && c == ':' && i == 1 && IsDriveLetter(text[0])) continue;  // the drive's colon
    return true;
  }
  return false;
}

bool IsDotsComponent(std::string_view component) {
  return !component.empty() && component.find_first_not_of(". ") == std::string_view::npos;
}

bool HasDotsComponent(std::string_view path) {
  if (ActiveCodePage().HasLeadBytes()) {
    bool found = false;
    ForEachComponent(path, kPathSeparators, [&found](std::string_view c) { found = found || IsDotsComponent(c); });
    return found;
  }
  // Asked twice of every entry the uninstaller removes: such a component starts with a dot or
  // a blank, which most paths hold once at most, and the search for them is the library's.
  for (const char first : {'.', ' '}) {
    for (std::size_t at = path.find(first); at != std::string_view::npos; at = path.find(first, at + 1)) {
      if (at != 0 && !IsSeparator(path[at - 1])) continue;
      std::size_t end = at;
      while (end < path.size() && !IsSeparator(path[end])) ++end;
      if (IsDotsComponent(path.substr(at, end - at))) return true;
    }
  }
  return false;
}

bool IsDeviceName(std::string_view component) {
  std::string_view base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  if (base.size() < 3 || base.size() > 7) return false;
  std::string upper;
  for (const char c : base) upper += UpperLetter(c);
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
      upper == "CONOUT$") {
    return true;
  }
  if (upper.size() != 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) return false;
  // The digits, and the superscripts 1, 2 and 3 of Windows-1252.
  const char digit = upper[3];
  return (digit >= '0' && digit <= '9') || digit == '\xB9' || digit == '\xB2' || digit == '\xB3';
}

bool HasDeviceComponent(std::string_view path) {
  bool found = false;
  ForEachComponent(path, kPathSeparators, [&found](std::string_view component) {
    // Every device name starts with one of these letters: most components are passed at once.
    if (!found && !component.empty() && std::string_view("CPANLcpanl").find(component[0]) != std::string_view::npos) {
      found = IsDeviceName(component);
    }
  });
  return found;
}

bool HoldsPathSeparator(std::string_view text) {
  const CodePage& cp = ActiveCodePage();
  for (std::size_t i = 0; i < text.size(); i += cp.CharLength(text, i)) {
    if (IsSeparator(text[i])) return true;
  }
  return false;
}

std::vector<std::string_view> PathComponents(std::string_view path) {
  std::vector<std::string_view> components;
  ForEachComponent(path, kPathSeparators, [&](std::string_view c) {
    if (!c.empty()) components.push_back(c);
  });
  return components;
}

std::vector<std::string_view> NormalComponents(std::string_view path, std::string_view separators) {
  std::vector<std::string_view> names;
  names.reserve(16);
  ForEachComponent(path, separators, [&](std::string_view name) {
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
  });
  return names;
}

bool EndsInBackslash(std::string_view path) {
  return !path.empty() && path.back() == '\\' && ActiveCodePage().IsCharBoundary(path, path.size() - 1);
}

std::string WithTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (!out.empty() && !EndsInBackslash(out)) out += '\\';
  return out;
}

std::string WithoutTrailingBackslash(std::string_view path) {
  if (EndsInBackslash(path)) path.remove_suffix(1);
  return std::string(path);
}

std::string FolderOfPath(std::string_view path) {
  const std::size_t at = ActiveCodePage().FindLastChar(path, '\\');
  return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

bool IsRootFolder(std::string_view folder) {
  if (folder.size() >= 2 && folder[1] == ':') folder.remove_prefix(2);
  return folder.find_first_not_of('\\') == std::string_view::npos;
}

std::optional<WindowsPath> ParseWindowsPath(std::string_view path) {
  if (path.size() < 2 || !IsDriveLetter(path[0]) || path[1] != ':') return std::nullopt;
  // Checked on the whole text: a name that a later ".." takes back is no better.
  if (HoldsForbiddenCharacter(path, NameScope::kWholePath)) return std::nullopt;
  const std::string_view rest = path.substr(2);
  WindowsPath out;
  out.drive = UpperLetter(path[0]);
  const std::vector<std::string_view> names = NormalComponents(rest);
  out.components.reserve(names.size());
  for (const std::string_view name : names) out.components.emplace_back(name);
  out.trailingSeparator = EndsInBackslash(rest) || (!rest.empty() && rest.back() == '/');
  return out;
}

std::optional<std::string> ResolvedFolderPath(std::string_view path) {
  if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || !IsSeparator(path[2])) return std::nullopt;
  if (HoldsForbiddenCharacter(path, NameScope::kWholePath)) return std::nullopt;
  std::vector<std::string_view> names;
  bool refused = false;
  ForEachComponent(path.substr(3), kPathSeparators, [&](std::string_view name) {
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (IsDotsComponent(name)) {
      refused = refused || name != ".";
    } else if (!name.empty()) {
      names.push_back(name.substr(0, name.find_last_not_of(". ") + 1));
    }
  });
  if (refused) return std::nullopt;
  std::string out{path[0], ':', '\\'};  // the drive as written: records keep its case
  for (const std::string_view name : names) {
    out += name;
    out += '\\';
  }
  return out;
}

std::string FormatWindowsPath(const WindowsPath& path) {
  std::string out{path.drive, ':'};
  for (const auto& c : path.components) {
    out += '\\';
    out += c;
  }
  if (path.components.empty() || path.trailingSeparator) out += '\\';
  return out;
}

std::string LongPathByComponents(
    std::string_view path, const std::function<std::optional<std::string>(const std::string&)>& listedName) {
  // The root: "X:\" or "\\server\share\".
  const CodePage& cp = ActiveCodePage();
  std::size_t rootEnd = 0;
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') {
    rootEnd = 3;
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    const std::size_t server = cp.FindChar(path, '\\', 2);
    const std::size_t share = server == std::string_view::npos ? server : cp.FindChar(path, '\\', server + 1);
    if (server == std::string_view::npos || server == 2 || share == server + 1 || server + 1 == path.size()) {
      return std::string();
    }
    // "\\server\share" alone is all root.
    rootEnd = share == std::string_view::npos ? path.size() : share + 1;
  } else {
    return std::string();
  }
  std::string out(path.substr(0, rootEnd));
  bool first = true;
  std::size_t at = rootEnd;
  while (at < path.size()) {
    std::size_t end = cp.FindChar(path, '\\', at);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(at, end - at);
    at = end + 1;
    if (name.empty()) continue;
    if (!first) out += '\\';
    first = false;
    if (name == "." || name == "..") {
      out += name;
      continue;
    }
    if (name.find_first_of("*?") != std::string_view::npos) return std::string();
    const std::optional<std::string> listed = listedName(out + std::string(name));
    if (!listed || listed->empty()) return std::string();
    out += *listed;
  }
  if (!first && EndsInBackslash(path)) out += '\\';
  return out;
}

}  // namespace tunovar
