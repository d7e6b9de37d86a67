// "insttext" from any bytes: at most 21 sections are kept, and a table that was read
// completely, written back as sections, reads back as the same table.
#include "base/ansi_text.h"
#include "base/text_lines.h"
#include "fuzz/fuzz_input.h"
#include "formats/installer_texts.h"

using namespace tunovar;
using tunovar::fuzz::Require;

namespace {

std::string SectionsText(const InstallerTextsRead& read) {
  std::string out;
  for (int s = 0; s < read.languageCount; ++s) {
    const auto& section = read.table[static_cast<std::size_t>(s)];
    out += "###" + section[0] + std::string(kCrLf);
    for (const TextSlot slot : kSectionSlots) out += section[static_cast<std::size_t>(slot)] + std::string(kCrLf);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  BytesLines lines(std::string_view(reinterpret_cast<const char*>(data), size));
  const InstallerTextsRead read = ParseInstallerTexts(lines, TextTableType());
  Require(read.code == kTextsGood || read.code == kTextsCorrupted, "the code is good or corrupted");
  Require(read.languageCount >= 0 && read.languageCount <= kSections, "at most 21 sections kept");
  if (read.code != kTextsGood) return 0;

  const std::string written = SectionsText(read);
  BytesLines again(written);
  const InstallerTextsRead reread = ParseInstallerTexts(again, TextTableType());
  Require(reread.code == kTextsGood && reread.languageCount == read.languageCount,
          "the written sections read back completely");
  Require(reread.table == read.table, "the written sections read back as the same table");

  for (int s = 0; s < read.languageCount; ++s) {
    const auto& section = read.table[static_cast<std::size_t>(s)];
    const std::string info = ExpandInfoText(section[2], "C:", 123, 60);
    Require(FindNoCase(info, "#RETURN#") == std::string::npos, "no #RETURN# is left in the information text");
    (void)RequiredMegabytes(section[13], section[19], (s & 1) != 0, 7);
  }
  return 0;
}
