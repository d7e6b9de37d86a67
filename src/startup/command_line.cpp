// The unattended switches of the argument string.
#include "startup/command_line.h"

#include <vector>

#include "base/ansi_text.h"

namespace tunovar {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

Switches ParseSwitches(std::string_view arguments) {
  Switches result;
  std::vector<std::string> kept;
  std::size_t i = 0;
  while (i < arguments.size()) {
    while (i < arguments.size() && IsBlank(arguments[i])) ++i;
    if (i >= arguments.size()) break;
    std::size_t end = i;
    while (end < arguments.size() && !IsBlank(arguments[end])) ++end;
    const std::string_view word = arguments.substr(i, end - i);

    if (StartsWithNoCase(word, "/D=")) {
      // The target path takes the rest of the line, blanks included.
      std::string path(arguments.substr(i + 3));
      path = TrimRight(path);
      result.targetPath = path;
      break;
    }
    if (EqualsNoCase(word, "/S")) {
      result.silent = true;
    } else if (EqualsNoCase(word, "/NOCDDB")) {
      result.noCddb = true;
    } else if (StartsWithNoCase(word, "/LANG=")) {
      const auto n = ParseWholeNumber(word.substr(6));
      if (!n || *n < 0 || word.size() == 6 || word[6] == '+' || word[6] == '-') {
        result.usageError = "The switch /LANG= needs a language number (0, 1, 2, ...).";
      } else {
        result.language = *n;
      }
    } else if (StartsWithNoCase(word, "/LOG=")) {
      if (word.size() == 5) {
        result.usageError = "The switch /LOG= needs a file name.";
      } else {
        result.logFile = std::string(word.substr(5));
      }
    } else if (word.size() > 1 && word[0] == '/') {
      result.usageError = "Unknown switch " + std::string(word) + ".";
    } else {
      kept.emplace_back(word);
    }
    i = end;
  }
  for (std::size_t k = 0; k < kept.size(); ++k) {
    if (k > 0) result.rest += ' ';
    result.rest += kept[k];
  }
  return result;
}

std::string UsageText() {
  return "Usage: install [d] [/S] [/LANG=n] [/NOCDDB] [/LOG=file] [/D=path]\n"
         "  d          uninstall (as when started as deinstal)\n"
         "  /S         silent: no window, messages on standard error\n"
         "  /LANG=n    language section n of the installer texts\n"
         "  /NOCDDB    do not install the CDDB database\n"
         "  /LOG=file  append a log of every step to file\n"
         "  /D=path    target folder (comes last; blanks allowed)";
}

}  // namespace tunovar
