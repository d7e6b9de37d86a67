// Drive letters mapped to host folders, and Windows paths taken apart.
#include "platform/posix/drive_map.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "platform/posix/ansi_utf8.h"
#include "platform/posix/xdg_dirs.h"

namespace tunovar::posix {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool ForbiddenInName(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20) return true;
  switch (c) {
    case '<': case '>': case ':': case '"': case '|': case '?': case '*': return true;
    default: return false;
  }
}

// "/a//b/./c/" -> "/a/b/c"; ".." is applied and never climbs above "/".
std::string NormalHostPath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t at = 0;
  while (at <= path.size()) {
    std::size_t slash = path.find('/', at);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view part = path.substr(at, slash - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = slash + 1;
  }
  std::string out;
  for (const auto& p : parts) {
    out += '/';
    out += p;
  }
  return out.empty() ? "/" : out;
}

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return "/";
  return buffer;
}

std::string RealPathOr(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
  return real ? std::string(real.get()) : path;
}

}  // namespace

std::optional<WindowsPath> ParseWindowsPath(std::string_view path) {
  if (path.size() < 2 || !IsLetter(path[0]) || path[1] != ':') return std::nullopt;
  WindowsPath out;
  out.drive = UpperLetter(path[0]);
  std::string_view rest = path.substr(2);
  std::size_t at = 0;
  while (at <= rest.size()) {
    std::size_t end = rest.find_first_of("\\/", at);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view part = rest.substr(at, end - at);
    if (part == "..") {
      if (!out.components.empty()) out.components.pop_back();
    } else if (!part.empty() && part != ".") {
      for (char c : part) {
        if (ForbiddenInName(c)) return std::nullopt;
      }
      out.components.emplace_back(part);
    }
    at = end + 1;
  }
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
    for (const std::string& candidate : {root, RealPathOr(root)}) {
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
  const std::string rest = path.substr(bestLength);
  std::size_t at = 0;
  while (at < rest.size()) {
    std::size_t slash = rest.find('/', at);
    if (slash == std::string::npos) slash = rest.size();
    if (slash > at) {
      auto name = Utf8ToAnsi(rest.substr(at, slash - at));
      if (!name) return std::nullopt;
      out.components.push_back(std::move(*name));
    }
    at = slash + 1;
  }
  return FormatWindowsPath(out);
}

}  // namespace tunovar::posix
