// The installer text file "insttext": its line map, the parser into TextTable, the
// information text's placeholders, and the line reader shared by the installer's text files.
//
// "insttext" (ANSI, one text per line, every line ends in CR LF) is a run of sections and
// nothing else, no blank line between or after them. Section n (0 = German, 1 = every other
// system language, 2 = French, further ones reachable by the Up and Down buttons) is:
//
//   line  1  "###" + language name       -> slot 0   caption of Label_Language
//   line  2  title                       -> slot 1   Label_Caption, title of the closing question
//   line  3  information text            -> slot 2   Label_Text, placeholders below
//   line  4  path caption                -> slot 3   Label_InstPath
//   line  5  default target path         -> slot 4   Text_InstPath (then the typed path)
//   line  6  Install                     -> slot 6   Label_Install
//   line  7  Cancel                      -> slot 7   Label_Cancel
//   line  8  "start the product now?"    -> slot 8   closing question of the installation
//   line  9  (kept, unused)              -> slot 9
//   line 10  (kept, unused)              -> slot 10
//   line 11  uninstall closing message   -> slot 11
//   line 12  uninstall question          -> slot 12
//   line 13  required megabytes          -> slot 13  whole number
//   line 14  not enough space            -> slot 15
//   line 15  CDDB caption                -> slot 18  Label_CDDB
//   line 16  CDDB extra megabytes        -> slot 19  whole number
//
// Slots 5, 14, 16, 17 and 20..50 stay empty. Placeholders of slot 2, letter case ignored:
// "#DRIVE#" (first only), "#FREEMB#" (first only), "#REQUIRED#" (first only), "#RETURN#"
// (every one, becomes CR LF).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "startup/installer.h"

namespace tunovar {

using TextTableType = std::array<std::array<std::string, kSlots>, kSections>;

// The slots that lines 2 to 16 of a section fill, in line order.
inline constexpr std::array<int, 15> kSectionSlots = {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 15, 18, 19};

inline constexpr std::int32_t kTextsGood = 0;
inline constexpr std::int32_t kTextsCorrupted = 1;

struct InstallerTextsRead {
  std::int32_t code = kTextsGood;  // kTextsCorrupted when a section does not start with "###"
  std::int32_t languageCount = 0;  // sections stored, never more than kSections
};

// Fills table from the lines of "insttext", section 0 first. A section cut short by the end
// of the file counts with its missing slots empty. A section beyond the table is read but
// neither stored nor counted, and reading stops after it. Slots no line fills are untouched.
[[nodiscard]] InstallerTextsRead ParseInstallerTexts(const std::vector<std::string>& lines,
                                                     TextTableType& table);

// RequiredMB from the text of slots 13 and 19: slot 13, plus slot 19 when the CDDB option is
// chosen. previous when slot 13 is no whole number; slot 13 alone when slot 19 is none or the
// sum leaves 32 bits.
[[nodiscard]] std::int32_t RequiredMegabytes(std::string_view slot13, std::string_view slot19,
                                             bool cddbSelected, std::int32_t previous);

// The information text with its placeholders replaced, in the order drive, free, required,
// line breaks.
[[nodiscard]] std::string ExpandInfoText(std::string text, std::string_view drive,
                                         std::int32_t freeMb, std::int32_t requiredMb);

// The lines of a text file (line ends as SplitLines reads them); nullopt when it cannot be
// opened. A read error ends the lines at the last complete line before it.
[[nodiscard]] std::optional<std::vector<std::string>> ReadTextFileLines(FileSystem& fs,
                                                                        const std::string& path);

}  // namespace tunovar
