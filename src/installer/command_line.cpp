// The unattended switches of the argument string.
#include "installer/command_line.h"

#include <vector>

#include "base/ansi_text.h"

namespace tunovar {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One word of the argument string: up to the next blank outside double quotes, the quotes
// removed, as Windows splits a command line ("/D=C:\My Apps" in quotes is one word).
struct Word {
  std::string text;
  std::size_t end = 0;  // where the word ends in the argument string
  bool quoted = false;  // it held a double quote
};

Word ReadWord(std::string_view arguments, std::size_t at) {
  Word word;
  bool inQuotes = false;
  for (; at < arguments.size(); ++at) {
    const char c = arguments[at];
    if (c == '"') {
      inQuotes = !inQuotes;
      word.quoted = true;
    } else if (!inQuotes && IsBlank(c)) {
      break;
    } else {
      word.text += c;
    }
  }
  word.end = at;
  return word;
}

std::string WithoutQuotes(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c != '"') out += c;
  }
  return out;
}

// A word that looks like one of the switches but is not written as one: "-D=C:\x", "-S",
// "D=C:\x". Taken as the switch, or passed over, it would install somewhere else than meant.
bool IsNearSwitch(std::string_view word) {
  const bool dashed = !word.empty() && word[0] == '-';
  if (dashed) word.remove_prefix(1);
  for (const std::string_view name : {"D=", "LANG=", "LOG="}) {
    if (StartsWithNoCase(word, name)) return true;
  }
  return dashed && (EqualsNoCase(word, "S") || EqualsNoCase(word, "NOCDDB"));
}

// The target path of /D=: a character that the installer's code page cannot hold arrives as
// "?" (the system's conversion of the command line makes it so), and no folder name holds one.
std::string TargetPathError(const std::string& path) {
  if (Trim(path, kBlanksAndTabs).empty()) return "The switch /D= needs a folder, for example /D=C:\\Apps.";
  if (path.find('?') != std::string::npos) {
    return "/D=" + path + ": the folder holds a character that the installer's code page (Windows-1252) "
           "cannot hold.";
  }
  return "";
}

// An unquoted /D= takes the rest of the line: a word there that is one of the program's own
// switches was meant as that switch ("/S /D=C:\\X /LOG=C:\\x.log" would install into a folder
// "X /LOG=C:\\x.log" and write no log).
std::string SwitchAfterTargetError(std::string_view path) {
  std::size_t i = 0;
  bool first = true;
  while (i < path.size()) {
    while (i < path.size() && IsBlank(path[i])) ++i;
    const std::size_t start = i;
    while (i < path.size() && !IsBlank(path[i])) ++i;
    const std::string_view word = path.substr(start, i - start);
    if (!first && (EqualsNoCase(word, "/S") || EqualsNoCase(word, "/NOCDDB") || StartsWithNoCase(word, "/LOG=") ||
                   StartsWithNoCase(word, "/LANG=") || StartsWithNoCase(word, "/D="))) {
      return "/D= takes the rest of the command line, and " + std::string(word) +
             " stands after it: put /D= last, or in quotes (\"/D=C:\\My Apps\").";
    }
    first = false;
  }
  return "";
}

}  // namespace

Switches ParseSwitches(std::string_view arguments) {
  Switches result;
  std::vector<std::string> kept;
  const auto fail = [&](std::string text) {
    if (result.usageError.empty()) result.usageError = std::move(text);
  };
  std::size_t i = 0;
  while (i < arguments.size()) {
    while (i < arguments.size() && IsBlank(arguments[i])) ++i;
    if (i >= arguments.size()) break;
    const Word word = ReadWord(arguments, i);
    const std::string& text = word.text;

    if (StartsWithNoCase(text, "/D=")) {
      // Quoted, the path is the quoted word; otherwise it takes the rest of the line, blanks
      // included.
      const std::string path =
          word.quoted ? text.substr(3) : TrimRight(WithoutQuotes(arguments.substr(i + 3)), kBlanksAndTabs);
      result.targetPath = path;
      fail(TargetPathError(path));
      if (!word.quoted) {
        fail(SwitchAfterTargetError(path));
        break;
      }
    } else if (EqualsNoCase(text, "/S")) {
      result.silent = true;
    } else if (EqualsNoCase(text, "/NOCDDB")) {
      result.noCddb = true;
    } else if (StartsWithNoCase(text, "/LANG=")) {
      const auto n = ParseWholeNumber(std::string_view(text).substr(6));
      if (!n || *n < 0 || text.size() == 6 || text[6] == '+' || text[6] == '-') {
        fail("The switch /LANG= needs a language number (0, 1, 2, ...).");
      } else {
        result.language = *n;
      }
    } else if (StartsWithNoCase(text, "/LOG=")) {
      if (Trim(text.substr(5), kBlanksAndTabs).empty()) {
        fail("The switch /LOG= needs a file name.");
      } else {
        result.logFile = text.substr(5);
      }
    } else if (text.size() > 1 && text[0] == '/') {
      fail("Unknown switch " + text + ".");
    } else if (IsNearSwitch(text)) {
      fail(text + " is no switch: switches begin with \"/\" (/S, /D=path, /LANG=n, /NOCDDB, /LOG=file).");
    } else {
      kept.push_back(text);
    }
    i = word.end;
  }
  for (std::size_t k = 0; k < kept.size(); ++k) {
    if (k > 0) result.rest += ' ';
    result.rest += kept[k];
  }
  // Unattended, every word counts: one that is neither a switch nor the uninstall argument
  // would otherwise be passed over, and the run would do something else than asked.
  if (result.silent && !result.rest.empty() && !EqualsNoCase(result.rest, "d")) {
    fail("Unknown argument \"" + result.rest + "\": only d (uninstall) and switches are allowed with /S.");
  }
  return result;
}

std::string UsageText() {
  return "Usage: install [d] [/S] [/LANG=n] [/NOCDDB] [/LOG=file] [/D=path]\n"
         "  d          uninstall (as when started as deinstal)\n"
         "  /S         silent: no window, messages on standard error\n"
         "  /LANG=n    language section n of the installer texts\n"
         "  /NOCDDB    do not install the CDDB database\n"
         "  /LOG=file  append a log of every step to file (in quotes when it holds blanks)\n"
         "  /D=path    target folder (comes last and may hold blanks, or stands in quotes)";
}

}  // namespace tunovar
