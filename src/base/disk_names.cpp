// Names of files on a host whose names are UTF-8 (Linux), joined and read in Windows-1252.
#include "base/disk_names.h"

#include <algorithm>

#include "base/ansi_text.h"
#include "base/ansi_utf8.h"

namespace tunovar {

std::string Join(const std::string& folder, std::string_view name) {
  std::string out = folder;
  if (out.empty() || out.back() != '/') out += '/';
  out += name;
  return out;
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::optional<std::string> AnsiNameOf(std::string_view diskName) {
  if (IsAscii(diskName)) return std::string(diskName);
  if (auto ansi = Utf8ToAnsi(diskName)) return ansi;
  if (IsValidUtf8(diskName)) return std::nullopt;
  return std::string(diskName);
}

std::optional<std::string> KeyOfDiskName(std::string_view diskName) {
  // Every name the program deletes or looks up is taken through here: the common one is
  // upper-cased in one string.
  if (IsAscii(diskName)) return UCase(diskName);
  auto ansi = AnsiNameOf(diskName);
  if (!ansi) return std::nullopt;
  return UCase(*ansi);
}

}  // namespace tunovar
