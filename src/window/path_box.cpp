// The target path box: its change and double click, and the target drive with its free space.
#include <limits>
#include <optional>
#include <string>

#include "base/ansi_text.h"
#include "base/target_path.h"
#include "base/windows_path.h"
#include "installer/installer.h"

namespace tunovar {

void Installer::Text_InstPath_Change() {
  space.FreeMB = 0;
  UpdateTargetDrive();
  // Every language keeps the path, so that showing another language's captions, which puts
  // its target path into the box, leaves the typed path in place.
  const std::string& text = form_[Ctl::Text_InstPath].caption;
  for (std::int32_t i = 0; i < texts.LanguageCount && i < kSections; ++i) {
    texts.TextTable[static_cast<std::size_t>(i)][static_cast<std::size_t>(TextSlot::kTargetPath)] = text;
  }
  UpdateInfoText(texts.LangIndex);
}

void Installer::Text_InstPath_DblClick() {
  const std::size_t length = form_[Ctl::Text_InstPath].caption.size();
  const int shown = length > static_cast<std::size_t>(std::numeric_limits<int>::max())
                        ? std::numeric_limits<int>::max()
                        : static_cast<int>(length);
  form_.SetSelection(Ctl::Text_InstPath, 0, shown);
}

void Installer::UpdateTargetDrive() {
  // The drive list's current drive (its caption in the model) starts as the program's own
  // drive, as a drive list starts on the current drive.
  if (form_[Ctl::DriveListe].caption.empty()) {
    std::optional<std::string> own;
    if (!folders.AppPath.empty()) own = platform_.fs.DriveName(folders.AppPath[0]);
    form_.SetCaption(Ctl::DriveListe, own.value_or("c:"));
  }
  const std::string text = form_[Ctl::Text_InstPath].caption;
  // A letter that names no drive (or no letter at all) is refused and the list keeps its drive.
  if (!text.empty()) {
    if (const std::optional<std::string> drive = platform_.fs.DriveName(text[0])) {
      form_.SetCaption(Ctl::DriveListe, *drive);
    }
  }
  const std::string drive = form_[Ctl::DriveListe].caption;
  if (!drive.empty() && EqualsNoCase(drive.substr(0, 1), text.substr(0, 1))) {
    const int driveNumber = static_cast<unsigned char>(ToUpperAnsi(drive[0])) - 'A';
    if (const std::optional<std::int64_t> free = platform_.fs.FreeMegabytes(driveNumber)) {
      constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
      space.FreeMB = static_cast<std::int32_t>(*free > kMax ? kMax : (*free < 0 ? 0 : *free));
    }
    space.InstDrive = UCase(drive.substr(0, 2));
  } else {
    space.FreeMB = 0;
    space.InstDrive = UCase(text.substr(0, 2));
  }
  if (!space.InstDrive.empty() && space.InstDrive.back() == '\\') space.InstDrive.pop_back();
  if (space.InstDrive.empty() || space.InstDrive.back() != ':') space.InstDrive = space.InstDrive.substr(0, 1) + ":";
}

void Installer::SetInstPathText(const std::string& text) {
  // Setting the text the box already holds is no change: the handler does not run. Otherwise
  // showing a language without a default path would empty slot 4 of every language.
  if (text == form_[Ctl::Text_InstPath].caption) return;
  form_.SetCaption(Ctl::Text_InstPath, text);
  Text_InstPath_Change();
}

}  // namespace tunovar
