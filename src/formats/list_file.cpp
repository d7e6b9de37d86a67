// The list files: the pure reader.
#include "formats/list_file.h"

#include <memory>
#include <utility>

#include "base/ansi_text.h"

namespace tunovar {

ListFileRead ParseListFile(LineSource& lines, const std::string& cdRoot,
                           const std::string& destPrefix, std::int32_t langIndex) {
  ListFileRead read;
  const std::string tag = DecimalText(langIndex);
  const std::string textFile = tag + "_texte.txt";
  const std::string helpFile = tag + "_tunodoc.hlp";
  std::string line;
  for (;;) {
    const LineStatus status = lines.Next(line);
    if (status == LineStatus::kEnd) return read;
    if (status == LineStatus::kReadError) return ListFileRead{1, {}, {}};
    // A list is ANSI text: a NUL (UTF-16, a binary file) or a UTF-16 byte order mark is no
    // line of it, and part of such a file would be placed as if it were the product.
    if (line.find('\0') != std::string::npos || line.starts_with("\xFF\xFE") || line.starts_with("\xFE\xFF")) {
      return ListFileRead{1, {}, {}};
    }
    if (!ContainsNoCase(line, "_texte.txt") && !ContainsNoCase(line, "_tunodoc.hlp")) {
      read.sources.push_back(cdRoot + line);
      read.destinations.push_back(destPrefix + line);
    } else if (ContainsNoCase(line, textFile) || ContainsNoCase(line, helpFile)) {
      // The tagged name is taken to end the line: the tag and "_" are cut from the end.
      std::string newName;
      if (ContainsNoCase(line, textFile)) {
        newName = DropRight(line, textFile.size()).value_or(std::string()) + "texte.txt";
      } else {
        newName = DropRight(line, helpFile.size()).value_or(std::string()) + "tunoDoc.hlp";
      }
      read.sources.push_back(cdRoot + line);
      read.destinations.push_back(destPrefix + newName);
    }
    // Otherwise the line names a file of another language.
  }
}

}  // namespace tunovar
