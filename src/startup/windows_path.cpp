// Windows path rules that the installer and the uninstaller share.
#include "startup/windows_path.h"

namespace tunovar {

bool IsDotsComponent(std::string_view component) {
  return !component.empty() && component.find_first_not_of(". ") == std::string_view::npos;
}

bool HasDotsComponent(std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    if (IsDotsComponent(path.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace tunovar
