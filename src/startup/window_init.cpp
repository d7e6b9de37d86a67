// Window initialisation in install mode: companion program, texts, scaling to the screen,
// the pictures' visibility, the language and the first texts.
#include <cmath>
#include <limits>

#include "base/ansi_text.h"
#include "installer/installer.h"

namespace tunovar {
namespace {

enum class Property : std::uint8_t { kLeft, kTop, kWidth, kHeight, kFontSize };

struct ScaledProperty {
  Ctl control;
  Property property;
};

using P = Property;

// Every property scaled, in the order in which it is scaled. The button pictures only move:
// they show bitmaps of a fixed pixel size.
constexpr ScaledProperty kScaled[] = {
    {Ctl::Installer, P::kWidth}, {Ctl::Installer, P::kHeight},
    {Ctl::Browse_A, P::kLeft}, {Ctl::Browse_A, P::kTop},
    {Ctl::Browse_P, P::kLeft}, {Ctl::Browse_P, P::kTop},
    {Ctl::Down_P, P::kLeft}, {Ctl::Down_P, P::kTop},
    {Ctl::Down_A, P::kLeft}, {Ctl::Down_A, P::kTop},
    {Ctl::Help_P, P::kLeft}, {Ctl::Help_P, P::kTop},
    {Ctl::Help_A, P::kLeft}, {Ctl::Help_A, P::kTop},
    {Ctl::Up_P, P::kLeft}, {Ctl::Up_P, P::kTop},
    {Ctl::Up_A, P::kLeft}, {Ctl::Up_A, P::kTop},
    {Ctl::CDDB_p, P::kLeft}, {Ctl::CDDB_p, P::kTop},
    {Ctl::CDDB_a, P::kLeft}, {Ctl::CDDB_a, P::kTop},
    {Ctl::Verlauf, P::kLeft}, {Ctl::Verlauf, P::kTop}, {Ctl::Verlauf, P::kWidth}, {Ctl::Verlauf, P::kHeight},
    {Ctl::Label_Cancel, P::kTop}, {Ctl::Label_Cancel, P::kLeft}, {Ctl::Label_Cancel, P::kHeight}, {Ctl::Label_Cancel, P::kWidth}, {Ctl::Label_Cancel, P::kFontSize},
    {Ctl::Label_Caption, P::kTop}, {Ctl::Label_Caption, P::kLeft}, {Ctl::Label_Caption, P::kHeight}, {Ctl::Label_Caption, P::kWidth}, {Ctl::Label_Caption, P::kFontSize},
    {Ctl::Label_Install, P::kTop}, {Ctl::Label_Install, P::kLeft}, {Ctl::Label_Install, P::kHeight}, {Ctl::Label_Install, P::kWidth}, {Ctl::Label_Install, P::kFontSize},
    {Ctl::Label_InstPath, P::kTop}, {Ctl::Label_InstPath, P::kLeft}, {Ctl::Label_InstPath, P::kHeight}, {Ctl::Label_InstPath, P::kWidth}, {Ctl::Label_InstPath, P::kFontSize},
    {Ctl::Label_Language, P::kTop}, {Ctl::Label_Language, P::kLeft}, {Ctl::Label_Language, P::kHeight}, {Ctl::Label_Language, P::kWidth}, {Ctl::Label_Language, P::kFontSize},
    {Ctl::Label_Text, P::kTop}, {Ctl::Label_Text, P::kLeft}, {Ctl::Label_Text, P::kHeight}, {Ctl::Label_Text, P::kWidth}, {Ctl::Label_Text, P::kFontSize},
    {Ctl::Label_CDDB, P::kTop}, {Ctl::Label_CDDB, P::kLeft}, {Ctl::Label_CDDB, P::kHeight}, {Ctl::Label_CDDB, P::kWidth}, {Ctl::Label_CDDB, P::kFontSize},
    {Ctl::Text_InstPath, P::kTop}, {Ctl::Text_InstPath, P::kLeft}, {Ctl::Text_InstPath, P::kHeight}, {Ctl::Text_InstPath, P::kWidth}, {Ctl::Text_InstPath, P::kFontSize},
};

struct Visibility {
  Ctl control;
  bool visible;
};

// Afterwards exactly one picture of each pair shows; the Help pair stays as designed.
constexpr Visibility kVisibility[] = {
    {Ctl::Browse_A, false}, {Ctl::Browse_P, true}, {Ctl::Down_A, false}, {Ctl::Down_P, true},
    {Ctl::Up_A, false}, {Ctl::Up_P, true}, {Ctl::CDDB_p, false}, {Ctl::CDDB_a, true},
    {Ctl::Label_CDDB, true}, {Ctl::Label_Cancel, true}, {Ctl::Label_Install, true},
    {Ctl::Label_Caption, true}, {Ctl::Label_InstPath, true}, {Ctl::Label_Language, true},
    {Ctl::Label_Text, true}, {Ctl::Text_InstPath, true}, {Ctl::Verlauf, true},
};

float ValueOf(const ControlState& s, Property p) {
  switch (p) {
    case P::kLeft: return s.left;
    case P::kTop: return s.top;
    case P::kWidth: return s.width;
    case P::kHeight: return s.height;
    case P::kFontSize: return s.fontSize;
  }
  return 0;
}

void Store(Form& form, Ctl c, Property p, float v) {
  switch (p) {
    case P::kLeft: form.SetLeft(c, v); break;
    case P::kTop: form.SetTop(c, v); break;
    case P::kWidth: form.SetWidth(c, v); break;
    case P::kHeight: form.SetHeight(c, v); break;
    case P::kFontSize: form.SetFontSize(c, v); break;
  }
}

}  // namespace

void Installer::InitInstallerWindow() {
  GetWindowsDir();

  // The companion program runs on its own; whether it started is of no concern here.
  if (const std::optional<std::string> folder = DropRight(folders.AppPath, 1)) {
    (void)platform_.shell.Open(folders.AppPath + "trelva.exe", "", *folder, ShowMode::kNormal);
  }

  report.ErrorCode = 0;
  report.ErrorCode = ReadInstallerTexts(folders.AppPath + "insttext");
  if (report.ErrorCode != 0) ShowFatalError(report.ErrorCode, folders.AppPath + "insttext");

  // The layout was made at 15 twips per pixel; scaled by the screen's ratio it keeps its size
  // in pixels, so the skin bitmaps and the texts stay aligned at any resolution.
  for (const ScaledProperty& sp : kScaled) {
    const double twipsPerPixel = platform_.ui.TwipsPerPixelY();
    const double scaled = static_cast<double>(ValueOf(form_[sp.control], sp.property)) * twipsPerPixel / 15.0;
    // A result that is no number or does not fit a single leaves the property as it was.
    if (!std::isfinite(scaled) || std::fabs(scaled) > std::numeric_limits<float>::max()) continue;
    Store(form_, sp.control, sp.property, static_cast<float>(scaled));
  }

  for (const Visibility& v : kVisibility) form_.SetVisible(v.control, v.visible);

  space.CDDBSelected = true;
  texts.LangIndex = GetSystemLanguage();
  ShowLanguageCaptions(texts.LangIndex);
  UpdateInfoText(texts.LangIndex);
  // From here on the window takes the user's input.
  form_.SetReady(true);
}

}  // namespace tunovar
