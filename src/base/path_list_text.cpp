// The text of a message box that names paths.
#include "base/path_list_text.h"

#include <algorithm>
#include <cstdint>

#include "base/ansi_text.h"

namespace tunovar {
namespace {

void AppendShown(std::string& text, std::string_view path) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  for (const char c : path) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) {
      text += c;
      continue;
    }
    text += "\\x";
    text += kHex[u >> 4];
    text += kHex[u & 0xF];
  }
}

}  // namespace

std::string PathListText(std::string_view heading, const std::vector<std::string>& paths, std::size_t shown) {
  std::string text(heading);
  const std::size_t listed = std::min(paths.size(), shown);
  for (std::size_t k = 0; k < listed; ++k) {
    text += kCrLf;
    AppendShown(text, paths[k]);
  }
  if (paths.size() > listed) {
    text += kCrLf;
    text += "and " + DecimalText(static_cast<std::int64_t>(paths.size() - listed)) + " more";
  }
  return text;
}

}  // namespace tunovar
