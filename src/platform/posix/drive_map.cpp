// Drive letters mapped to host folders, and Windows paths taken apart.
#include "platform/posix/drive_map.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/posix/ansi_utf8.h"
#include "platform/posix/xdg_dirs.h"

namespace tunovar::posix {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// The names of a path split at any of the separators, with empty names and "." dropped and
// ".." taking back the name before it (at the first name it stays there).
std::vector<std::string_view> PathNames(std::string_view path, std::string_view separators) {
  std::vector<std::string_view> names;
  std::size_t at = 0;
  while (at <= path.size()) {
    std::size_t end = path.find_first_of(separators, at);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(at, end - at);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    at = end + 1;
  }
  return names;
}

// "/a//b/./c/" -> "/a/b/c"; ".." is applied and never climbs above "/".
std::string NormalHostPath(std::string_view path) {
  std::string out;
  for (const std::string_view name : PathNames(path, "/")) {
    out += '/';
    out += name;
  }
  return out.empty() ? "/" : out;
}

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return "/";
  return buffer;
}

}  // namespace

bool ForbiddenInName(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20) return true;
  switch (c) {
    case '<': case '>': case ':': case '"': case '|': case '?': case '*': return true;
    default: return false;
  }
}

std::optional<std::string> RealPath(const std::string& hostPath) {
  std::unique_ptr<char, decltype(&free)> real(realpath(hostPath.c_str(), nullptr), &free);
  if (!real) return std::nullopt;
  return std::string(real.get());
}

std::optional<WindowsPath> ParseWindowsPath(std::string_view path) {
  if (path.size() < 2 || !IsLetter(path[0]) || path[1] != ':') return std::nullopt;
  const std::string_view rest = path.substr(2);
  // Checked on the whole text: a name that a later ".." takes back is no better.
  if (std::any_of(rest.begin(), rest.end(), ForbiddenInName)) return std::nullopt;
  WindowsPath out;
  out.drive = UpperLetter(path[0]);
  for (const std::string_view name : PathNames(rest, "\\/")) out.components.emplace_back(name);
  out.trailingSeparator = !rest.empty() && (rest.back() == '\\' || rest.back() == '/');
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

DriveMap DriveMap::FromEnvironment() {
  const char* mapping = std::getenv("TUNOVAR_DRIVES");
  if (mapping != nullptr && mapping[0] != '\0') return Parse(mapping, CurrentFolder());
  DriveMap map;
  map.Set('C', SetupDataFolder() + "/drive_c");
  map.Set('Z', "/");
  return map;
}

DriveMap DriveMap::Parse(std::string_view mapping, const std::string& currentFolder) {
  DriveMap map;
  std::size_t at = 0;
  while (at <= mapping.size()) {
    std::size_t end = mapping.find(';', at);
    if (end == std::string_view::npos) end = mapping.size();
    const std::string_view entry = mapping.substr(at, end - at);
    if (entry.size() >= 3 && IsLetter(entry[0]) && entry[1] == '=') {
      std::string folder(entry.substr(2));
      if (folder[0] != '/') folder = currentFolder + "/" + folder;
      map.Set(entry[0], folder);
    }
    at = end + 1;
  }
  if (!map.Root('Z')) map.Set('Z', "/");
  return map;
}

void DriveMap::Set(char letter, const std::string& hostFolder) {
  if (!IsLetter(letter)) return;
  drives_[UpperLetter(letter)] = NormalHostPath(hostFolder);
}

std::optional<std::string> DriveMap::Root(char letter) const {
  if (!IsLetter(letter)) return std::nullopt;
  const auto it = drives_.find(UpperLetter(letter));
  if (it == drives_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> DriveMap::ToWindows(std::string_view hostPath) const {
  if (hostPath.empty() || hostPath[0] != '/') return std::nullopt;
  const std::string path = NormalHostPath(hostPath);
  char bestDrive = 0;
  std::size_t bestLength = 0;
  for (const auto& [letter, root] : drives_) {
    for (const std::string& candidate : {root, RealPath(root).value_or(root)}) {
      const bool holds = candidate == "/" || path == candidate ||
                         (path.size() > candidate.size() && path.compare(0, candidate.size(), candidate) == 0 &&
                          path[candidate.size()] == '/');
      const std::size_t length = candidate == "/" ? 0 : candidate.size();
      if (holds && (bestDrive == 0 || length > bestLength)) {
        bestDrive = letter;
        bestLength = length;
      }
    }
  }
  if (bestDrive == 0) return std::nullopt;
  WindowsPath out;
  out.drive = bestDrive;
  for (const std::string_view utf8 : PathNames(std::string_view(path).substr(bestLength), "/")) {
    auto name = Utf8ToAnsi(utf8);
    if (!name) return std::nullopt;
    out.components.push_back(std::move(*name));
  }
  return FormatWindowsPath(out);
}

}  // namespace tunovar::posix
