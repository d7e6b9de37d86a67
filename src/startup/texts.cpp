// The texts of the run: "insttext" read into the table, a slot's text, and a language's
// captions and information text shown.
#include <memory>
#include <string>
#include <utility>

#include "formats/installer_texts.h"
#include "formats/text_file.h"
#include "installer/installer.h"

namespace tunovar {

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
