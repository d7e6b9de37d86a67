// The installer texts: reading "insttext" into TextTable, the captions of a language and the
// information text with its placeholders.
#include "startup/installer_texts.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "base/ansi_text.h"

namespace tunovar {

InstallerTextsRead ParseInstallerTexts(const std::vector<std::string>& lines,
                                       TextTableType& table) {
  InstallerTextsRead read;
  std::size_t next = 0;
  // A line past the end of the file reads as empty: the end is tested only between sections.
  auto readLine = [&]() -> std::string { return next < lines.size() ? lines[next++] : std::string(); };
  while (next < lines.size()) {
    const std::string header = readLine();
    if (!StartsWithNoCase(header, "###")) {
      read.code = kTextsCorrupted;
      return read;
    }
    const bool stored = read.languageCount < kSections;
    auto& section = table[static_cast<std::size_t>(stored ? read.languageCount : 0)];
    if (stored) section[0] = header.substr(3);
    for (const int slot : kSectionSlots) {
      std::string line = readLine();
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

std::optional<std::vector<std::string>> ReadTextFileLines(FileSystem& fs, const std::string& path) {
  const std::unique_ptr<ByteReader> reader = fs.OpenForReading(path);
  if (!reader) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  for (;;) {
    const std::optional<std::size_t> count = reader->Read(buffer, sizeof buffer);
    if (!count) {
      // The line being read when the error came is lost; the complete ones before it stay.
      const std::size_t end = bytes.find_last_of("\r\n");
      bytes.resize(end == std::string::npos ? 0 : end + 1);
      break;
    }
    if (*count == 0) break;
    bytes.append(buffer, std::min(*count, sizeof buffer));
  }
  return SplitLines(bytes);
}

std::int32_t Installer::ReadInstallerTexts(const std::string& path) {
  LanguageCount = 0;
  // A missing or unreadable file is no error: the window then shows empty texts.
  const std::optional<std::vector<std::string>> lines = ReadTextFileLines(platform_.fs, path);
  if (!lines) return kTextsGood;
  const InstallerTextsRead read = ParseInstallerTexts(*lines, TextTable);
  LanguageCount = read.languageCount;
  return read.code;
}

const std::string& Installer::Text(std::int32_t section, int slot) const {
  static const std::string kNone;
  if (section < 0 || section >= kSections || slot < 0 || slot >= kSlots) return kNone;
  return TextTable[static_cast<std::size_t>(section)][static_cast<std::size_t>(slot)];
}

void Installer::ShowLanguageCaptions(std::int32_t langIndex) {
  form_.SetCaption(Ctl::Label_Cancel, Text(langIndex, 7));
  form_.SetCaption(Ctl::Label_Install, Text(langIndex, 6));
  form_.SetCaption(Ctl::Label_Caption, Text(langIndex, 1));
  form_.SetCaption(Ctl::Label_InstPath, Text(langIndex, 3));
  form_.SetCaption(Ctl::Label_Language, Text(langIndex, 0));
  form_.SetCaption(Ctl::Label_CDDB, Text(langIndex, 18));
  // A change of the path: the drive is evaluated anew and the text kept for every language.
  SetInstPathText(Text(langIndex, 4));
}

void Installer::UpdateInfoText(std::int32_t langIndex) {
  // Setting an empty box to an empty default would be no change at all; leaving it alone
  // also keeps the change handler, which calls back here, from running without end.
  if (form_[Ctl::Text_InstPath].caption.empty() && !Text(langIndex, 4).empty()) {
    SetInstPathText(Text(langIndex, 4));
  }
  RequiredMB = RequiredMegabytes(Text(langIndex, 13), Text(langIndex, 19), CDDBSelected, RequiredMB);
  form_.SetCaption(Ctl::Label_Text, ExpandInfoText(Text(langIndex, 2), InstDrive, FreeMB, RequiredMB));
}

}  // namespace tunovar
