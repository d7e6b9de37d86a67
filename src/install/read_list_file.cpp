// ReadListFile, which reads a list file for the installation.
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/ansi_text.h"
#include "formats/list_file.h"
#include "formats/text_file.h"
#include "installer/installer.h"

namespace tunovar {

std::int32_t Installer::ReadListFile(const std::string& listPath, StringList& sources,
                                     StringList& destinations, const std::string& destPrefix) {
  // Without a CD root no source can be named; adding destinations alone would put the two
  // lists out of step, so such a list adds nothing.
  const std::optional<std::string> cdRoot = DropRight(folders.AppPath, kRuntimeFolderLength);
  if (!cdRoot) {
    Log("List " + listPath + " not read: the program's folder is too short to name the CD root");
    return 0;
  }
  const std::unique_ptr<LineSource> lines = OpenTextLines(platform_.fs, listPath);
  if (!lines) return 0;  // a missing list file simply has no entries
  ListFileRead read = ParseListFile(*lines, *cdRoot, destPrefix, texts.LangIndex);
  if (read.code != 0) {
    Log("List " + listPath + " could not be read to its end");
    return read.code;
  }
  // Taken over whole where nothing was read before: a long list is never held twice.
  if (sources.empty() && destinations.empty()) {
    sources = std::move(read.sources);
    destinations = std::move(read.destinations);
  } else {
    sources.Append(read.sources);
    destinations.Append(read.destinations);
  }
  return 0;
}

}  // namespace tunovar
