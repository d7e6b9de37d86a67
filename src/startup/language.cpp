// The language of the system, and the list files with their language-tagged entries.
//
// A list file ("filedir", "filelist", "dbfiles") holds one path per line, relative to the
// CD's root; the same path is the entry's place below the destination folder. A name ending
// in <tag>_texte.txt or <tag>_tunodoc.hlp (tag = decimal language index) belongs to that
// language and is installed as "texte.txt" / "tunoDoc.hlp"; other languages' files are
// skipped, every other line is language-neutral.
#include <cstdio>

#include "base/ansi_text.h"
#include "startup/installer.h"
#include "startup/installer_texts.h"

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

void Installer::ReadListFile(const std::string& listPath, StringList& sources,
                             StringList& destinations, const std::string& destPrefix) {
  // Without a CD root no source can be named; adding destinations alone would put the two
  // lists out of step, so such a list adds nothing.
  const std::optional<std::string> cdRoot = DropRight(AppPath, kRuntimeFolderLength);
  if (!cdRoot) {
    Log("List " + listPath + " not read: the program's folder is too short to name the CD root");
    return;
  }
  const std::optional<std::vector<std::string>> lines = ReadTextFileLines(platform_.fs, listPath);
  if (!lines) return;  // a missing list file simply has no entries

  const std::string tag = DecimalText(LangIndex);
  const std::string textFile = tag + "_texte.txt";
  const std::string helpFile = tag + "_tunodoc.hlp";
  for (const std::string& line : *lines) {
    if (!ContainsNoCase(line, "_texte.txt") && !ContainsNoCase(line, "_tunodoc.hlp")) {
      sources.push_back(*cdRoot + line);
      destinations.push_back(destPrefix + line);
    } else if (ContainsNoCase(line, textFile) || ContainsNoCase(line, helpFile)) {
      // The tagged name is taken to end the line: the tag and "_" are cut from the end.
      std::string newName;
      if (ContainsNoCase(line, textFile)) {
        newName = DropRight(line, textFile.size()).value_or(std::string()) + "texte.txt";
      } else {
        newName = DropRight(line, helpFile.size()).value_or(std::string()) + "tunoDoc.hlp";
      }
      sources.push_back(*cdRoot + line);
      destinations.push_back(destPrefix + newName);
    }
    // Otherwise the line names a file of another language.
  }
}

}  // namespace tunovar
