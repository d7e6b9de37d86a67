// The installer texts: "insttext" parsed into TextTable, and the information text's placeholders.
#include "formats/installer_texts.h"

#include <limits>
#include <utility>

#include "base/ansi_text.h"

namespace tunovar {

InstallerTextsRead ParseInstallerTexts(LineSource& lines, TextTableType table) {
  InstallerTextsRead read{kTextsGood, 0, std::move(table)};
  std::string header;
  for (;;) {
    // The end of the file is tested only between sections.
    const LineStatus status = lines.Next(header);
    if (status == LineStatus::kEnd) break;
    if (status == LineStatus::kReadError || !StartsWithNoCase(header, "###")) {
      read.code = kTextsCorrupted;
      return read;
    }
    const bool stored = read.languageCount < kSections;
    auto& section = read.table[static_cast<std::size_t>(stored ? read.languageCount : 0)];
    if (stored) section[0] = header.substr(3);
    for (const TextSlot slot : kSectionSlots) {
      // A line past the end of the file reads as empty.
      std::string line;
      if (lines.Next(line) == LineStatus::kReadError) {
        read.code = kTextsCorrupted;
        return read;
      }
      if (stored) section[static_cast<std::size_t>(slot)] = std::move(line);
    }
    // A section beyond the table is read to its end and not kept; nothing after it is read,
    // so no language index can ever point outside the table.
    if (!stored) break;
    ++read.languageCount;
  }
  return read;
}

std::int32_t RequiredMegabytes(std::string_view slot13, std::string_view slot19,
                               bool cddbSelected, std::int32_t previous) {
  const std::optional<std::int32_t> base = ParseWholeNumber(slot13);
  // Without a base figure the whole computation fails; adding the CDDB figure to the old
  // value would make it grow with every redraw.
  if (!base) return previous;
  if (!cddbSelected) return *base;
  const std::optional<std::int32_t> extra = ParseWholeNumber(slot19);
  if (!extra) return *base;
  const std::int64_t sum = static_cast<std::int64_t>(*base) + *extra;
  if (sum > std::numeric_limits<std::int32_t>::max() ||
      sum < std::numeric_limits<std::int32_t>::min()) {
    return *base;
  }
  return static_cast<std::int32_t>(sum);
}

std::string ExpandInfoText(std::string text, std::string_view drive, std::int32_t freeMb,
                           std::int32_t requiredMb) {
  ReplaceFirstNoCase(text, "#DRIVE#", drive);
  ReplaceFirstNoCase(text, "#FREEMB#", DecimalText(freeMb));
  ReplaceFirstNoCase(text, "#REQUIRED#", DecimalText(requiredMb));
  // CR LF holds no "#", so every replacement removes one placeholder for good.
  while (ReplaceFirstNoCase(text, "#RETURN#", kCrLf)) {
  }
  return text;
}

}  // namespace tunovar
