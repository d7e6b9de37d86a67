// The installer texts: "insttext" parsed into TextTable, and the Installer procedures that
// read it and show a language's captions and information text.
#include "startup/installer_texts.h"

#include <limits>
#include <memory>

#include "base/ansi_text.h"
#include "startup/installer.h"
#include "startup/text_file.h"

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

std::int32_t Installer::ReadInstallerTexts(const std::string& path) {
  texts.LanguageCount = 0;
  // A missing file is no error: the window then shows empty texts. A file that cannot be read
  // to its end is corrupted.
  const std::unique_ptr<LineSource> lines = OpenTextLines(platform_.fs, path);
  if (!lines) return kTextsGood;
  InstallerTextsRead read = ParseInstallerTexts(*lines, std::move(texts.TextTable));
  texts.TextTable = std::move(read.table);
  texts.LanguageCount = read.languageCount;
  return read.code;
}

const std::string& Installer::Text(std::int32_t section, TextSlot slot) const {
  static const std::string kNone;
  const int n = static_cast<int>(slot);
  if (section < 0 || section >= kSections || n < 0 || n >= kSlots) return kNone;
  return texts.TextTable[static_cast<std::size_t>(section)][static_cast<std::size_t>(n)];
}

void Installer::ShowLanguageCaptions(std::int32_t langIndex) {
  form_.SetCaption(Ctl::Label_Cancel, Text(langIndex, TextSlot::kCancel));
  form_.SetCaption(Ctl::Label_Install, Text(langIndex, TextSlot::kInstall));
  form_.SetCaption(Ctl::Label_Caption, Text(langIndex, TextSlot::kTitle));
  form_.SetCaption(Ctl::Label_InstPath, Text(langIndex, TextSlot::kPathCaption));
  form_.SetCaption(Ctl::Label_Language, Text(langIndex, TextSlot::kLanguage));
  form_.SetCaption(Ctl::Label_CDDB, Text(langIndex, TextSlot::kCddbCaption));
  // A change of the path: the drive is evaluated anew and the text kept for every language.
  SetInstPathText(Text(langIndex, TextSlot::kTargetPath));
}

void Installer::UpdateInfoText(std::int32_t langIndex) {
  // Setting an empty box to an empty default would be no change at all; leaving it alone
  // also keeps the change handler, which calls back here, from running without end.
  if (form_[Ctl::Text_InstPath].caption.empty() && !Text(langIndex, TextSlot::kTargetPath).empty()) {
    SetInstPathText(Text(langIndex, TextSlot::kTargetPath));
  }
  space.RequiredMB = RequiredMegabytes(Text(langIndex, TextSlot::kRequiredMB), Text(langIndex, TextSlot::kCddbMB),
                                 space.CDDBSelected, space.RequiredMB);
  form_.SetCaption(Ctl::Label_Text,
                   ExpandInfoText(Text(langIndex, TextSlot::kInfo), space.InstDrive, space.FreeMB, space.RequiredMB));
}

}  // namespace tunovar
