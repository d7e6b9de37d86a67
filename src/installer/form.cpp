// The installer window's inventory (design layout, fonts, pictures, pointers) and its model.
#include "installer/form.h"

namespace tunovar {
namespace {

using K = ControlKind;
using P = MousePointer;

constexpr const char* kArial = "Arial";
constexpr const char* kSansSerif = "MS Sans Serif";

// Layout in twips as stored in the form. A picture's stored size is its bitmap's size at
// 12 twips per pixel; the view draws and hit-tests it at the bitmap's size.
constexpr std::array<ControlDesign, kControlCount> kDesign{{
    {Ctl::Installer, "Installer", K::kForm, 0, 0, 12000, 8988, kInstallerTitle, kSansSerif, 7.8f, false, true, P::kDefault, Skin::kBackground, 800, 600},
    {Ctl::Label_Caption, "Label_Caption", K::kLabel, 360, 5715, 2670, 285, "Ovri TUNOVAR - Setup", kArial, 12.0f, true, true, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::Label_Language, "Label_Language", K::kLabel, 9300, 5715, 2595, 285, "", kArial, 12.0f, true, true, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::Up_P, "Up_P", K::kPicture, 8835, 5700, 276, 252, "", kSansSerif, 7.8f, false, true, P::kCustom, Skin::kUpNormal, 23, 21},
    {Ctl::Up_A, "Up_A", K::kPicture, 8835, 5700, 276, 252, "", kSansSerif, 7.8f, false, true, P::kCustom, Skin::kUpActive, 23, 21},
    {Ctl::Down_P, "Down_P", K::kPicture, 8475, 5700, 276, 252, "", kSansSerif, 7.8f, false, true, P::kCustom, Skin::kDownNormal, 23, 21},
    {Ctl::Down_A, "Down_A", K::kPicture, 8490, 5700, 276, 252, "", kSansSerif, 7.8f, false, true, P::kCustom, Skin::kDownActive, 23, 21},
    {Ctl::Help_P, "Help_P", K::kPicture, 7995, 5700, 276, 252, "", kSansSerif, 7.8f, false, true, P::kDefault, Skin::kHelpNormal, 23, 21},
    {Ctl::Help_A, "Help_A", K::kPicture, 7995, 5700, 276, 252, "", kSansSerif, 7.8f, false, false, P::kCustom, Skin::kHelpActive, 23, 21},
    {Ctl::Label_Text, "Label_Text", K::kLabel, 435, 6120, 11310, 960, "", kArial, 9.6f, false, true, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::Label_InstPath, "Label_InstPath", K::kLabel, 480, 7260, 2655, 285, "", kArial, 9.6f, true, true, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::Text_InstPath, "Text_InstPath", K::kTextBox, 3420, 7260, 4440, 255, "", kArial, 9.0f, false, true, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::Browse_P, "Browse_P", K::kPicture, 8040, 7245, 360, 228, "", kSansSerif, 7.8f, false, true, P::kCustom, Skin::kBrowseNormal, 30, 19},
    {Ctl::Browse_A, "Browse_A", K::kPicture, 8040, 7245, 360, 228, "", kSansSerif, 7.8f, false, true, P::kCustom, Skin::kBrowseActive, 30, 19},
    {Ctl::CDDB_a, "CDDB_a", K::kPicture, 480, 7935, 168, 168, "", kSansSerif, 7.8f, false, true, P::kCustom, Skin::kCddbChosen, 14, 14},
    {Ctl::CDDB_p, "CDDB_p", K::kPicture, 465, 7920, 192, 192, "", kSansSerif, 7.8f, false, true, P::kCustom, Skin::kCddbNotChosen, 16, 16},
    {Ctl::Label_CDDB, "Label_CDDB", K::kLabel, 840, 7905, 2700, 270, "", kArial, 9.6f, true, true, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::Label_Install, "Label_Install", K::kLabel, 6360, 8580, 2745, 285, "", kArial, 9.6f, true, true, P::kCustom, Skin::kNone, 0, 0},
    {Ctl::Label_Cancel, "Label_Cancel", K::kLabel, 9180, 8580, 2745, 285, "", kArial, 9.6f, true, true, P::kCustom, Skin::kNone, 0, 0},
    {Ctl::Verlauf, "Verlauf", K::kPicture, 495, 8595, 3000, 225, "", kSansSerif, 9.6f, false, true, P::kDefault, Skin::kNone, 0, 0},
    // Used only to test drives and never needed on screen.
    {Ctl::DriveListe, "DriveListe", K::kDriveList, 7080, 3360, 1452, 315, "", kSansSerif, 7.8f, false, false, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::FileListe, "FileListe", K::kFileList, 6000, 3720, 492, 264, "", kSansSerif, 7.8f, false, false, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::Label_DDE, "Label_DDE", K::kLabel, 840, 2760, 375, 255, "DDE", kSansSerif, 7.8f, false, false, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::Timer1, "Timer1", K::kTimer, 0, 0, 0, 0, "", "", 0, false, false, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::TextTimerUp, "TextTimerUp", K::kTimer, 0, 0, 0, 0, "", "", 0, false, false, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::TextTimerDown, "TextTimerDown", K::kTimer, 0, 0, 0, 0, "", "", 0, false, false, P::kDefault, Skin::kNone, 0, 0},
    {Ctl::HelpTimer, "HelpTimer", K::kTimer, 0, 0, 0, 0, "", "", 0, false, false, P::kDefault, Skin::kNone, 0, 0},
}};

constexpr bool InventoryInOrder() {
  for (std::size_t i = 0; i < kDesign.size(); ++i) {
    if (static_cast<std::size_t>(kDesign[i].id) != i) return false;
  }
  return true;
}
static_assert(InventoryInOrder(), "the inventory must list the controls in the order of Ctl");

}  // namespace

const std::array<ControlDesign, kControlCount>& InstallerDesign() { return kDesign; }

const ControlDesign& DesignOf(Ctl id) { return kDesign[static_cast<std::size_t>(id)]; }

Form::Form() {
  for (const ControlDesign& d : kDesign) {
    ControlState& s = state_[Index(d.id)];
    s.left = d.left;
    s.top = d.top;
    s.width = d.width;
    s.height = d.height;
    s.fontSize = d.fontSize;
    s.visible = d.visible;
    s.enabled = true;
    s.caption = d.caption;
    s.interval = 0;  // timers are stored without an interval
  }
}

void Form::SetLeft(Ctl id, float v) { state_[Index(id)].left = v; Notify(id, Prop::kGeometry); }
void Form::SetTop(Ctl id, float v) { state_[Index(id)].top = v; Notify(id, Prop::kGeometry); }
void Form::SetWidth(Ctl id, float v) { state_[Index(id)].width = v; Notify(id, Prop::kGeometry); }
void Form::SetHeight(Ctl id, float v) { state_[Index(id)].height = v; Notify(id, Prop::kGeometry); }
void Form::SetFontSize(Ctl id, float v) { state_[Index(id)].fontSize = v; Notify(id, Prop::kFontSize); }
void Form::SetVisible(Ctl id, bool v) { state_[Index(id)].visible = v; Notify(id, Prop::kVisible); }
void Form::SetEnabled(Ctl id, bool v) { state_[Index(id)].enabled = v; Notify(id, Prop::kEnabled); }

void Form::SetCaption(Ctl id, const std::string& text) {
  state_[Index(id)].caption = text;
  Notify(id, Prop::kCaption);
}

void Form::AcceptTypedText(Ctl id, const std::string& text) { state_[Index(id)].caption = text; }

void Form::SetSelection(Ctl id, int start, int length) {
  state_[Index(id)].selStart = start;
  state_[Index(id)].selLength = length;
  Notify(id, Prop::kSelection);
}

void Form::SetInterval(Ctl timer, int ms) {
  state_[Index(timer)].interval = ms;
  Notify(timer, Prop::kInterval);
}

void Form::SetWindowPointer(MousePointer p) {
  pointer_ = p;
  Notify(Ctl::Installer, Prop::kPointer);
}

void Form::SetReady(bool ready) {
  ready_ = ready;
  Notify(Ctl::Installer, Prop::kReady);
}

void Form::SetFocus(FocusStop stop) {
  if (stop == focus_) return;
  focus_ = stop;
  Notify(Ctl::Installer, Prop::kFocus);
}

void Form::DrawProgress(int barPercent, const std::string& text) {
  progress_.barPercent = barPercent;
  progress_.text = text;
  progress_.drawn = true;
  Notify(Ctl::Verlauf, Prop::kProgress);
}

}  // namespace tunovar
