// The window model: the controls of the installer window with the properties the installer
// reads and sets, and the observer through which a view mirrors every change.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tunovar {

// Every control of the installer window, and the window itself, by its name.
enum class Ctl : std::uint8_t {
  Installer,
  Label_Caption,
  Label_Language,
  Up_P,
  Up_A,
  Down_P,
  Down_A,
  Help_P,
  Help_A,
  Label_Text,
  Label_InstPath,
  Text_InstPath,
  Browse_P,
  Browse_A,
  CDDB_a,
  CDDB_p,
  Label_CDDB,
  Label_Install,
  Label_Cancel,
  Verlauf,
  DriveListe,
  FileListe,
  Label_DDE,
  Timer1,
  TextTimerUp,
  TextTimerDown,
  HelpTimer,
};
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Ctl::HelpTimer) + 1;

// The places the keyboard can be in the window, in reading order: the language arrows, Help,
// the path box, Browse, the CDDB option, Install, Cancel. A stop of a picture pair is the
// pair, whichever of its pictures shows.
enum class FocusStop : std::uint8_t { kUp, kDown, kHelp, kPath, kBrowse, kCddb, kInstall, kCancel };
inline constexpr std::size_t kFocusStopCount = static_cast<std::size_t>(FocusStop::kCancel) + 1;

enum class ControlKind : std::uint8_t { kForm, kPicture, kLabel, kTextBox, kDriveList, kFileList, kTimer };
enum class MousePointer : std::uint8_t { kDefault, kCustom, kHourglass };

// The skin bitmaps linked into the executable (resource numbers of the Win32 build).
enum class Skin : std::uint8_t {
  kNone = 0,
  kBackground = 1,
  kUpNormal, kUpActive, kDownNormal, kDownActive, kHelpNormal, kHelpActive,
  kBrowseNormal, kBrowseActive, kCddbChosen, kCddbNotChosen,
};

// A control as stored in the form: layout in twips, font, picture, pointer, visibility.
struct ControlDesign {
  Ctl id;
  const char* name;
  ControlKind kind;
  float left, top, width, height;  // twips
  const char* caption;             // design caption or text
  const char* fontName;
  float fontSize;                  // points
  bool bold;
  bool visible;
  MousePointer pointer;
  Skin image;
  int imageWidth, imageHeight;     // pixels of the bitmap
};

// The inventory of the installer window, indexed by Ctl.
[[nodiscard]] const std::array<ControlDesign, kControlCount>& InstallerDesign();
[[nodiscard]] const ControlDesign& DesignOf(Ctl id);

// Window-wide design values.
inline constexpr const char* kInstallerTitle = "Ovri TUNOVAR Setup";
inline constexpr std::uint32_t kSkinBackColour = 0x0016C2FD;  // &H00BBGGRR: red 253, green 194, blue 22
inline constexpr int kClientWidthPx = 800;
inline constexpr int kClientHeightPx = 600;

// The properties a view is told about.
enum class Prop : std::uint8_t {
  kGeometry,   // Left, Top, Width, Height
  kFontSize,
  kVisible,
  kEnabled,
  kCaption,    // caption of a label or the window, text of the text box
  kSelection,  // selection of the text box
  kPointer,    // mouse pointer of the window
  kInterval,   // timer interval
  kProgress,   // the bar and text drawn on Verlauf
  kReady,      // the window accepts input
  kFocus,      // the stop that has the keyboard (told for Ctl::Installer)
};

class FormObserver {
 public:
  virtual ~FormObserver() = default;
  virtual void OnChanged(Ctl control, Prop property) = 0;
};

// The state of one control at run time.
struct ControlState {
  float left = 0, top = 0, width = 0, height = 0;
  float fontSize = 0;
  bool visible = true;
  bool enabled = true;
  std::string caption;
  int selStart = 0;
  int selLength = 0;
  int interval = 0;  // timers, in ms; 0 = stopped
};

// What Verlauf shows: the bar filled to barPercent of its width, and the centred text.
struct ProgressPicture {
  int barPercent = 0;
  std::string text;
  bool drawn = false;
};

class Form {
 public:
  Form();  // every control from its design

  void SetObserver(FormObserver* observer) { observer_ = observer; }

  [[nodiscard]] const ControlState& operator[](Ctl id) const { return state_[Index(id)]; }

  void SetLeft(Ctl id, float v);
  void SetTop(Ctl id, float v);
  void SetWidth(Ctl id, float v);
  void SetHeight(Ctl id, float v);
  void SetFontSize(Ctl id, float v);
  void SetVisible(Ctl id, bool v);
  void SetEnabled(Ctl id, bool v);
  void SetCaption(Ctl id, const std::string& text);
  // The text box's text as the user changed it in the view: stored without telling the view.
  void AcceptTypedText(Ctl id, const std::string& text);
  void SetSelection(Ctl id, int start, int length);
  void SetInterval(Ctl timer, int ms);

  [[nodiscard]] MousePointer WindowPointer() const { return pointer_; }
  void SetWindowPointer(MousePointer p);

  [[nodiscard]] bool Ready() const { return ready_; }
  void SetReady(bool ready);

  // The stop that has the keyboard: the path box until the user moves it.
  [[nodiscard]] FocusStop Focus() const { return focus_; }
  void SetFocus(FocusStop stop);

  [[nodiscard]] const ProgressPicture& Progress() const { return progress_; }
  void DrawProgress(int barPercent, const std::string& text);

 private:
  static std::size_t Index(Ctl id) { return static_cast<std::size_t>(id); }
  void Notify(Ctl id, Prop p) {
    if (observer_ != nullptr) observer_->OnChanged(id, p);
  }

  std::array<ControlState, kControlCount> state_{};
  MousePointer pointer_ = MousePointer::kDefault;
  bool ready_ = false;
  FocusStop focus_ = FocusStop::kPath;
  ProgressPicture progress_;
  FormObserver* observer_ = nullptr;
};

}  // namespace tunovar
