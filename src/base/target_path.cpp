// The repair of the typed target path into the install folder.
#include "base/target_path.h"

#include <optional>

#include "base/ansi_text.h"
#include "base/code_page.h"
#include "base/windows_path.h"

namespace tunovar {

std::string SanitizeTargetPath(std::string_view text) {
  std::string path = Trim(text);
  // The text is rewritten while it is walked: after a removal the character that moved into
  // the freed place is examined next, so two forbidden characters in a row both go.
  // The second byte of a character of two bytes may be "|" or "\": the character stays whole.
  const CodePage& cp = ActiveCodePage();
  std::size_t i = 0;
  while (i < path.size()) {
    if (cp.IsLeadByte(path[i]) && i + 1 == path.size()) {
      // Half a character at the end: with the "\" added below it would become another
      // character, and the folder another folder.
      path.erase(i);
      continue;
    }
    if (cp.CharLength(path, i) == 2) {
      i += 2;
      continue;
    }
    switch (path[i]) {
      case ' ': path[i++] = '_'; break;
      case '/': path[i++] = '\\'; break;
      case '<': case '>': case '|': case '?': case '*': case '"': path.erase(i, 1); break;
      case ':':
        if (i == 1) {
          ++i;  // the colon of a drive letter
        } else {
          path.erase(i, 1);
        }
        break;
      default: ++i; break;
    }
  }
  if (!EndsInBackslash(path)) path += '\\';
  if (!EndsWithNoCase(path, "TUNOVAR\\")) path += "TUNOVAR\\";
  // From here the text holds at least "TUNOVAR\", so it has a third character.
  if (path[2] != '\\') path = path.substr(0, 2) + '\\' + path.substr(2);
  while (ReplaceFirstNoCase(path, "\\\\", "\\")) {
  }
  return path;
}

std::optional<std::string> TargetFolderOfText(std::string_view text) {
  return ResolvedFolderPath(SanitizeTargetPath(text));
}

}  // namespace tunovar
