// The installer text file "insttext": its line map, the text slots by name, the parser into
// TextTable and the information text's placeholders. Pure: lines in, a table out.
//
// "insttext" (ANSI, one text per line, every line ends in CR LF) is a run of sections and
// nothing else, no blank line between or after them. Section n (0 = German, 1 = every other
// system language, 2 = French, further ones reachable by the Up and Down buttons) is:
//
//   line  1  "###" + language name     slot 0   kLanguage           caption of Label_Language
//   line  2  title                     slot 1   kTitle              Label_Caption, title of the closing question
//   line  3  information text          slot 2   kInfo               Label_Text, placeholders below
//   line  4  path caption              slot 3   kPathCaption        Label_InstPath
//   line  5  default target path       slot 4   kTargetPath         Text_InstPath (then the typed path)
//   line  6  Install                   slot 6   kInstall            Label_Install
//   line  7  Cancel                    slot 7   kCancel             Label_Cancel
//   line  8  "start the product now?"  slot 8   kStartNow           closing question of the installation
//   line  9  (kept, unused)            slot 9   kKept9
//   line 10  (kept, unused)            slot 10  kKept10
//   line 11  uninstall closing message slot 11  kUninstallDone
//   line 12  uninstall question        slot 12  kUninstallQuestion
//   line 13  required megabytes        slot 13  kRequiredMB         whole number
//   line 14  not enough space          slot 15  kNoSpace
//   line 15  CDDB caption              slot 18  kCddbCaption        Label_CDDB
//   line 16  CDDB extra megabytes      slot 19  kCddbMB             whole number
//
// Slots 5, 14, 16, 17 and 20..50 stay empty. Placeholders of slot 2, letter case ignored:
// "#DRIVE#" (first only), "#FREEMB#" (first only), "#REQUIRED#" (first only), "#RETURN#"
// (every one, becomes CR LF).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text_lines.h"

namespace tunovar {

inline constexpr int kSections = 21;  // language sections of TextTable
inline constexpr int kSlots = 51;     // text slots per section

using TextTableType = std::array<std::array<std::string, kSlots>, kSections>;

// The slots of a section by what they hold (the map above; TextSlot::kLanguage ...).
enum class TextSlot : int {
  kLanguage = 0,
  kTitle = 1,
  kInfo = 2,
  kPathCaption = 3,
  kTargetPath = 4,
  kInstall = 6,
  kCancel = 7,
  kStartNow = 8,
  kKept9 = 9,
  kKept10 = 10,
  kUninstallDone = 11,
  kUninstallQuestion = 12,
  kRequiredMB = 13,
  kNoSpace = 15,
  kCddbCaption = 18,
  kCddbMB = 19,
};

// The slots that lines 2 to 16 of a section fill, in line order.
inline constexpr std::array<TextSlot, 15> kSectionSlots = {
    TextSlot::kTitle,       TextSlot::kInfo,           TextSlot::kPathCaption,
    TextSlot::kTargetPath,  TextSlot::kInstall,        TextSlot::kCancel,
    TextSlot::kStartNow,    TextSlot::kKept9,          TextSlot::kKept10,
    TextSlot::kUninstallDone, TextSlot::kUninstallQuestion, TextSlot::kRequiredMB,
    TextSlot::kNoSpace,     TextSlot::kCddbCaption,    TextSlot::kCddbMB,
};

inline constexpr std::int32_t kTextsGood = 0;
inline constexpr std::int32_t kTextsCorrupted = 1;

struct InstallerTextsRead {
  // kTextsCorrupted when a section does not start with "###" or the file could not be read.
  std::int32_t code = kTextsGood;
  std::int32_t languageCount = 0;  // sections stored, never more than kSections
  TextTableType table;
};

// The table with the lines of "insttext" in it, section 0 first. A section cut short by the
// end of the file counts with its missing slots empty. A section beyond the table is read but
// neither stored nor counted, and reading stops after it. Slots no line fills keep their text.
[[nodiscard]] InstallerTextsRead ParseInstallerTexts(LineSource& lines, TextTableType table);

// RequiredMB from the text of slots 13 and 19: slot 13, plus slot 19 when the CDDB option is
// chosen. previous when slot 13 is no whole number; slot 13 alone when slot 19 is none or the
// sum leaves 32 bits.
[[nodiscard]] std::int32_t RequiredMegabytes(std::string_view slot13, std::string_view slot19,
                                             bool cddbSelected, std::int32_t previous);

// The information text with its placeholders replaced, in the order drive, free, required,
// line breaks.
[[nodiscard]] std::string ExpandInfoText(std::string text, std::string_view drive,
                                         std::int32_t freeMb, std::int32_t requiredMb);

}  // namespace tunovar
