// Drive letters mapped to host folders.
#include "platform/posix/drive_map.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "base/ansi_text.h"
#include "base/ansi_utf8.h"
#include "base/windows_path.h"
#include "platform/posix/xdg_dirs.h"

namespace tunovar::posix {
namespace {

// "/a//b/./c/" -> "/a/b/c"; ".." is applied and never climbs above "/".
std::string NormalHostPath(std::string_view path) {
  std::string out;
  for (const std::string_view name : NormalComponents(path, "/")) {
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

std::optional<std::string> RealPath(const std::string& hostPath) {
  std::unique_ptr<char, decltype(&free)> real(realpath(hostPath.c_str(), nullptr), &free);
  if (!real) return std::nullopt;
  return std::string(real.get());
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
    if (entry.size() >= 3 && IsDriveLetter(entry[0]) && entry[1] == '=') {
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
  if (!IsDriveLetter(letter)) return;
  drives_[ToUpperAnsi(letter)] = NormalHostPath(hostFolder);
}

std::optional<std::string> DriveMap::Root(char letter) const {
  if (!IsDriveLetter(letter)) return std::nullopt;
  const auto it = drives_.find(ToUpperAnsi(letter));
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
  for (const std::string_view utf8 : NormalComponents(std::string_view(path).substr(bestLength), "/")) {
    auto name = Utf8ToAnsi(utf8);
    if (!name) return std::nullopt;
    out.components.push_back(std::move(*name));
  }
  return FormatWindowsPath(out);
}

}  // namespace tunovar::posix
