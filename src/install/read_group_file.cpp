// ReadGroupFile, which reads the group file for the program group.
#include <memory>
#include <utility>

#include "base/ansi_text.h"
#include "formats/group_file.h"
#include "formats/text_file.h"
#include "installer/installer.h"

namespace tunovar {

std::int32_t Installer::ReadGroupFile(const std::string& path) {
  std::unique_ptr<LineSource> lines = OpenTextLines(platform_.fs, path);
  // A missing file reads as one without lines.
  BytesLines none("");
  GroupFileRead read = ParseGroupFile(lines ? *lines : none, texts.LanguageCount, std::move(group));
  group = std::move(read.group);
  Log("Group file " + path + (read.result == 0 ? " read" : " corrupted") + ": " +
      DecimalText(group.GroupItemCount) + " items per language");
  return read.result;
}

}  // namespace tunovar
