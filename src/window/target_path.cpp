// The target path box: its change and double click, the target drive with its free space,
// and the repair of the typed text into the install folder.
#include "window/target_path.h"

#include <limits>
#include <optional>

#include "base/ansi_text.h"
#include "base/code_page.h"
#include "base/windows_path.h"
#include "startup/installer.h"

namespace tunovar {

std::string SanitizeTargetPath(std::string_view text) {
  std::string path = Trim(text);
  // The text is rewritten while it is walked: after a removal the character that moved into
  // the freed place is examined next, so two forbidden characters in a row both go.
  // The second byte of a character of two bytes may be "|" or "\": the character stays whole.
  const CodePage& cp = ActiveCodePage();
  std::size_t i = 0;
  while (i < path.size()) {
    if (cp.IsLeadByte(path[i]) && i + 1 == path.size()) {
      // Half a character at the end: with the "\" added below it would become another
      // character, and the folder another folder.
      path.erase(i);
      continue;
    }
    if (cp.CharLength(path, i) == 2) {
      i += 2;
      continue;
    }
    switch (path[i]) {
      case ' ': path[i++] = '_'; break;
      case '/': path[i++] = '\\'; break;
      case '<': case '>': case '|': case '?': case '*': case '"': path.erase(i, 1); break;
      case ':':
        if (i == 1) {
          ++i;  // the colon of a drive letter
        } else {
          path.erase(i, 1);
        }
        break;
      default: ++i; break;
    }
  }
  if (!EndsInBackslash(path)) path += '\\';
  if (!EndsWithNoCase(path, "TUNOVAR\\")) path += "TUNOVAR\\";
  // From here the text holds at least "TUNOVAR\", so it has a third character.
  if (path[2] != '\\') path = path.substr(0, 2) + '\\' + path.substr(2);
  while (ReplaceFirstNoCase(path, "\\\\", "\\")) {
  }
  return path;
}

std::optional<std::string> TargetFolderOfText(std::string_view text) {
  return ResolvedFolderPath(SanitizeTargetPath(text));
}

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
