// The language of the system.
#include <cstdio>

#include "base/ansi_text.h"
#include "installer/installer.h"

namespace tunovar {

std::int32_t Installer::GetSystemLanguage() {
  const unsigned id = platform_.shell.SystemDefaultLangId();
  char hex[8];
  std::snprintf(hex, sizeof hex, "%X", id);
  // Only the primary language counts: every German and every French variant alike.
  const std::string_view code = RightPart(hex, 2);
  if (EqualsNoCase(code, "07")) return 0;
  if (EqualsNoCase(code, "0c")) return 2;
  return 1;
}

}  // namespace tunovar
