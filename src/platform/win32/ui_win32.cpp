// The Win32 view of the installer window and the message boxes of a Windows run.
//
// The window model (installer/form.h) holds every property; this view only mirrors it. The skin
// is drawn here, double-buffered: the background bitmap, the visible picture of each pair at
// its bitmap's size, the labels with transparent backgrounds and the progress bar on
// Verlauf. Text_InstPath is a real EDIT control. Window messages become the installer's
// events through the run's Deliver, which gates them by visibility, enabled state and
// readiness.
#include "platform/win32/ui_win32.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <new>

#include "platform/win32/code_page_win32.h"
#include "platform/win32/folder_picker_win32.h"
#include "platform/win32/interrupt_win32.h"
#include "platform/win32/resource_ids.h"

namespace tunovar::win32 {
namespace {

constexpr const char* kWindowClass = "OvriTunovarSetupWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Colours of the skin: the window's amber, the panel the controls lie on, the texts.
constexpr COLORREF kAmber = RGB(253, 194, 22);
constexpr COLORREF kInk = RGB(20, 23, 36);
constexpr COLORREF kInkDisabled = RGB(120, 98, 36);
constexpr COLORREF kText = RGB(232, 232, 238);
constexpr COLORREF kTextDisabled = RGB(138, 143, 163);
constexpr COLORREF kPathBoxFace = RGB(44, 50, 72);
constexpr COLORREF kPathBoxFaceDisabled = RGB(31, 35, 51);

// The bar of Verlauf: its background is the form's stored colour; the bar is black, the text
// white, in the picture box's font at 8 points.
constexpr COLORREF kProgressBack = RGB(253, 194, 22);
constexpr COLORREF kProgressBar = RGB(0, 0, 0);
constexpr COLORREF kProgressText = RGB(255, 255, 255);
constexpr float kProgressFontPoints = 8.0f;

constexpr int kMessagesPerPump = 10000;  // a pump never spins without end

// The timer that brings a message box to the front once it shows; far above the form's ids.
constexpr UINT_PTR kMessageBoxTimerId = 0x7F00;
constexpr UINT kMessageBoxTimerMs = 50;
constexpr int kMessageBoxAttempts = 5;
constexpr DWORD kMessageBoxRetryMs = 500;

// Timers are told apart by their control: the timer id is the control's number plus one.
UINT_PTR TimerIdOf(Ctl timer) { return static_cast<UINT_PTR>(timer) + 1; }

std::optional<Ctl> TimerOfId(WPARAM id) {
  if (id == 0 || id > kControlCount) return std::nullopt;
  const Ctl control = static_cast<Ctl>(id - 1);
  if (DesignOf(control).kind != ControlKind::kTimer) return std::nullopt;
  return control;
}

std::size_t SkinIndex(Skin skin) { return static_cast<std::size_t>(skin); }

// Enter or Escape: the key going down (once, not its repeats while held, so that holding it
// does not press the button again when a box it brought up closes) or its character.
bool IsButtonKey(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) {
    constexpr LPARAM kWasDown = LPARAM{1} << 30;
    return (wParam == VK_RETURN || wParam == VK_ESCAPE) && (lParam & kWasDown) == 0;
  }
  return message == WM_CHAR && (wParam == '\r' || wParam == 0x1B);
}

bool IsButtonLabel(Ctl control) { return control == Ctl::Label_Install || control == Ctl::Label_Cancel; }

// A key press, not the repeat of one held down.
bool FirstPress(LPARAM lParam) { return (lParam & (LPARAM{1} << 30)) == 0; }

// GDI's text calls count characters in an int: a longer text is drawn up to that count, never
// handed over as a negative one (-1 would mean "up to the first NUL").
int TextLength(const std::string& text) {
  return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// The top left corner of a window with the frame FRAME (its client area at 0,0) on the primary
// screen's work area: centred where it fits. Where it is wider or taller, the client area's
// right or bottom edge lies on the work area's: Install and Cancel sit in the skin's bottom
// right corner and must stay within reach; the caption, or the skin's left part, is what
// lies off the screen then.
POINT PlaceOnWorkArea(const RECT& frame) {
  RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  POINT at{work.left + (Width(work) - Width(frame)) / 2, work.top + (Height(work) - Height(frame)) / 2};
  if (Width(frame) > Width(work)) at.x = work.right - kClientWidthPx + frame.left;
  if (Height(frame) > Height(work)) at.y = work.bottom - kClientHeightPx + frame.top;
  return at;
}

// The window class's name, "" when it cannot be had.
std::string ClassNameOf(HWND window) {
  std::array<char, 64> name{};
  const int length = ::GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  return std::string(name.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
}

// The installer window of another process: that of the instance already running. This run has
// made its own window, hidden, before it asked whether it is the only one.
struct OtherInstanceSearch {
  DWORD ownProcess;
  HWND found;
};

BOOL CALLBACK MatchOtherInstance(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<OtherInstanceSearch*>(data);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process == search->ownProcess || ClassNameOf(window) != kWindowClass) return TRUE;
  search->found = window;
  return FALSE;
}

HWND OtherInstanceWindow() {
  OtherInstanceSearch search{::GetCurrentProcessId(), nullptr};
  ::EnumWindows(&MatchOtherInstance, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A message box of this thread: a visible dialog window (the folder dialog is never open while
// a box is).
BOOL CALLBACK MatchMessageBox(HWND window, LPARAM data) {
  if (!::IsWindowVisible(window) || ClassNameOf(window) != "#32770") return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

BOOL CALLBACK MatchVisible(HWND window, LPARAM data) {
  if (!::IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

// A visible top-level window of the thread that made WINDOW (the question box of a run whose
// own window stays hidden, as in uninstall mode); nullptr when there is none.
HWND FirstVisibleWindowOfThread(HWND window) {
  HWND found = nullptr;
  ::EnumThreadWindows(::GetWindowThreadProcessId(window, nullptr), &MatchVisible,
                      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Selects a GDI object into a device context for one scope.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (old_ != nullptr) ::SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

void FillSolid(HDC dc, const RECT& area, COLORREF colour) {
  ::SetBkColor(dc, colour);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

}  // namespace

// ---- Construction and the loop ------------------------------------------------------------

Win32Ui::Win32Ui(HINSTANCE instance, bool silent, Console& console)
    : instance_(instance), silent_(silent), console_(console) {
  HDC screen = ::GetDC(nullptr);
  if (screen != nullptr) {
    const int perInch = ::GetDeviceCaps(screen, LOGPIXELSY);
    if (perInch > 0) pixelsPerInch_ = perInch;
    ::ReleaseDC(nullptr, screen);
  }
  twipsPerPixel_ = 1440.0f / static_cast<float>(pixelsPerInch_);
}

Win32Ui::~Win32Ui() {
  // The installer may be gone already (it is made after the view and ends before it): the
  // window's last messages must not reach it.
  installer_ = nullptr;
  if (window_ != nullptr) ::DestroyWindow(window_);
  if (icon_ != nullptr) ::DestroyIcon(icon_);
  // The custom pointer is a shared resource cursor: the system frees it with the program.
}

void Win32Ui::Attach(InstallerRun& installer) {
  installer_ = &installer;
  LoadSkin();
  CreateMainWindow();
  installer.ObserveWindow(this);
}

int Win32Ui::Run() {
  MSG message{};
  while (installer_ != nullptr && !installer_->Ended() && window_ != nullptr) {
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;  // WM_QUIT, or the queue is gone
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  if (installer_ != nullptr) installer_->ObserveWindow(nullptr);
  if (window_ != nullptr) {
    ::DestroyWindow(window_);
    window_ = nullptr;
  }
  return installer_ != nullptr ? installer_->ExitCodeOfRun() : kExitDone;
}

void Win32Ui::LoadSkin() {
  for (std::size_t i = SkinIndex(Skin::kBackground); i < skin_.size(); ++i) {
    skin_[i].reset(static_cast<HBITMAP>(
        ::LoadImageA(instance_, MAKEINTRESOURCEA(i), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    // Measured once here: every hit test and every paint places the pictures by these sizes.
    BITMAP info{};
    if (skin_[i] && ::GetObjectA(skin_[i].get(), int{sizeof info}, &info) == int{sizeof info}) {
      skinSize_[i] = SIZE{info.bmWidth, info.bmHeight};
    }
  }
  customPointer_ = ::LoadCursorA(instance_, MAKEINTRESOURCEA(IDC_TUNOVAR_POINTER));
  icon_ = static_cast<HICON>(::LoadImageA(instance_, MAKEINTRESOURCEA(IDI_TUNOVAR), IMAGE_ICON, 0, 0,
                                          LR_DEFAULTSIZE));
  pathBoxBrush_.reset(::CreateSolidBrush(kPathBoxFace));
  pathBoxDisabledBrush_.reset(::CreateSolidBrush(kPathBoxFaceDisabled));
}

void Win32Ui::CreateMainWindow() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &Win32Ui::WindowProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = icon_;
  windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassExA(&windowClass);  // fails harmlessly when already registered

  // The client area is the skin's size; the frame around it is the system's.
  RECT frame{0, 0, kClientWidthPx, kClientHeightPx};
  ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  const POINT at = PlaceOnWorkArea(frame);
  const std::string& title = installer_->Window()[Ctl::Installer].caption;
  ::CreateWindowExA(0, kWindowClass, title.c_str(), kWindowStyle, at.x, at.y, Width(frame), Height(frame),
                    nullptr, nullptr, instance_, this);
  if (window_ == nullptr) return;
  if (icon_ != nullptr) {
    ::SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  }
  CreatePathBox();
  CreateReaderWindows();
}

void Win32Ui::CreateReaderWindows() {
  // In reading order: the caption row (its labels, then Up, Down and Help), the information
  // text, the path row (its caption, which names the box after it, the box, Browse), the
  // option, Install and Cancel. The other labels say nothing a reader needs.
  HWND last = nullptr;
  auto addLabel = [&](Ctl label) {
    labelReaders_.emplace_back(label, ReaderWindow(window_, instance_, ReaderKind::kStatic, last));
    if (HWND made = labelReaders_.back().second.Handle()) last = made;
  };
  auto addStop = [&](FocusStop stop) {
    const ReaderKind kind = RoleOf(stop) == AccessibleRole::kCheckBox ? ReaderKind::kCheckBox : ReaderKind::kPushButton;
    ReaderWindow& reader = stopReaders_[static_cast<std::size_t>(stop)].emplace(window_, instance_, kind, last);
    if (HWND made = reader.Handle()) last = made;
  };
  addLabel(Ctl::Label_Caption);
  addLabel(Ctl::Label_Language);
  addStop(FocusStop::kUp);
  addStop(FocusStop::kDown);
  addStop(FocusStop::kHelp);
  addLabel(Ctl::Label_Text);
  addLabel(Ctl::Label_InstPath);
  if (edit_ != nullptr) {
    ::SetWindowPos(edit_, last != nullptr ? last : HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    last = edit_;
  }
  for (const FocusStop stop : {FocusStop::kBrowse, FocusStop::kCddb, FocusStop::kInstall, FocusStop::kCancel}) {
    addStop(stop);
  }
  SyncReaders();
}

void Win32Ui::SyncReaders() {
  if (installer_ == nullptr) return;
  const Form& form = installer_->Window();
  for (std::size_t i = 0; i < kFocusStopCount; ++i) {
    if (!stopReaders_[i]) continue;
    const auto stop = static_cast<FocusStop>(i);
    const std::optional<Ctl> shown = ShownControl(form, stop);
    ReaderState state;
    state.text = AccessibleName(form, stop);
    state.visible = shown.has_value();
    state.rect = shown ? PixelRect(*shown) : RECT{};
    state.enabled = shown && form[*shown].enabled;
    state.checked = stop == FocusStop::kCddb && form[Ctl::CDDB_a].visible;
    stopReaders_[i]->Sync(state);
  }
  for (auto& [label, reader] : labelReaders_) {
    ReaderState state;
    state.text = form[label].caption;
    state.rect = PixelRect(label);
    state.visible = form[label].visible;
    state.enabled = form[label].enabled;
    reader.Sync(state);
  }
}

void Win32Ui::CreatePathBox() {
  const ControlState& box = installer_->Window()[Ctl::Text_InstPath];
  const RECT r = PixelRect(Ctl::Text_InstPath);
  DWORD style = WS_CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
  if (box.visible) style |= WS_VISIBLE;
  if (!box.enabled) style |= WS_DISABLED;
  settingPathText_ = true;
  edit_ = ::CreateWindowExA(0, "EDIT", box.caption.c_str(), style, r.left, r.top, Width(r), Height(r),
                            window_, nullptr, instance_, nullptr);
  settingPathText_ = false;
  if (edit_ == nullptr) return;
  // Our procedure sits in front of the EDIT's own to see its double clicks. (Subclassing by
  // hand keeps the common-controls library out of the program's imports.)
  ::SetWindowLongPtrA(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  editProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Ui::PathBoxProc)));
  SyncPathBox(Prop::kFontSize);
}

void Win32Ui::ShowWhenReady() {
  if (shown_ || window_ == nullptr || installer_ == nullptr) return;
  if (!installer_->Window().Ready() || silent_) return;
  shown_ = true;
  ::ShowWindow(window_, SW_SHOWNORMAL);
  ::UpdateWindow(window_);
  ::SetForegroundWindow(window_);
  // Where the system hides focus marks until the keyboard is used (Windows 2000 and later; the
  // older ones know no such setting and show them), the window starts with them hidden.
  BOOL cues = TRUE;
  if (::SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0) && !cues) {
    hideFocus_ = true;
    ::SendMessageA(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  }
  PlaceKeyboard();
}

HWND Win32Ui::KeyboardWindowOf(FocusStop stop) const {
  if (stop == FocusStop::kPath) return edit_;
  const std::optional<ReaderWindow>& reader = stopReaders_[static_cast<std::size_t>(stop)];
  return reader ? reader->Handle() : nullptr;
}

std::optional<FocusStop> Win32Ui::StopOfWindow(HWND window) const {
  if (window == nullptr) return std::nullopt;
  for (std::size_t i = 0; i < kFocusStopCount; ++i) {
    if (KeyboardWindowOf(static_cast<FocusStop>(i)) == window) return static_cast<FocusStop>(i);
  }
  return std::nullopt;
}

void Win32Ui::PlaceKeyboard() {
  if (!shown_ || window_ == nullptr || installer_ == nullptr) return;
  // A box or the folder dialog has the keyboard: the window's activation brings it back here.
  if (::GetActiveWindow() != window_) return;
  HWND target = KeyboardWindowOf(installer_->Window().Focus());
  // A disabled window cannot hold the keyboard; the window itself takes the keys then.
  if (target == nullptr || !::IsWindowVisible(target) || !::IsWindowEnabled(target)) target = window_;
  if (::GetFocus() != target) ::SetFocus(target);
}

void Win32Ui::ShowFocusCues() {
  if (!hideFocus_ || window_ == nullptr) return;
  hideFocus_ = false;
  ::SendMessageA(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  ::InvalidateRect(window_, nullptr, FALSE);
}

void Win32Ui::EndLikeCancel() {
  if (installer_ == nullptr || installer_->Ended()) return;
  // The close box ends the program at once, as Cancel does, also while an installation runs:
  // the installation stops at its next pause for window events.
  installer_->RequestEnd();
}

// ---- Ui -------------------------------------------------------------------------------------

HWND Win32Ui::OwnerWindow() const {
  return (window_ != nullptr && shown_ && ::IsWindowVisible(window_)) ? window_ : nullptr;
}

MessageAnswer Win32Ui::ShowMessage(const std::string& title, const std::string& text,
                                   MessageButtons buttons) {
  pressed_.reset();
  HWND owner = OwnerWindow();
  // Every box comes up in front and stays there: the program group's folder window, which
  // the shell opens in a process of its own while the group is made, may appear after the
  // box or take the foreground from it. Owned by the installer window while it is shown;
  // without it (uninstall mode, start-up) the box is all the user sees of the run and holds
  // the program.
  UINT type = (buttons == MessageButtons::kYesNo ? MB_YESNO : MB_OK) | MB_SETFOREGROUND | MB_TOPMOST;
  if (owner == nullptr) type |= MB_TASKMODAL;
  // Not every window system honours those two flags (Wine passes over them): once the box
  // has come up, the timer, run by the box's own message loop, does the same by hand.
  const bool timed =
      window_ != nullptr && ::SetTimer(window_, kMessageBoxTimerId, kMessageBoxTimerMs, nullptr) != 0;
  // A box the system could not make (a desktop that is still starting, no memory for the
  // window) was never seen, so it is no answer: it is shown again a few times before the
  // run takes it as No, which changes nothing.
  int answer = 0;
  for (int attempt = 1; attempt <= kMessageBoxAttempts; ++attempt) {
    answer = ::MessageBoxA(owner, text.c_str(), title.c_str(), type);
    if (answer != 0) break;
    const std::string failure = "The message box \"" + title + "\" could not be shown (error " +
                                std::to_string(::GetLastError()) + ", attempt " +
                                std::to_string(attempt) + ")";
    console_.WriteLog(failure);
    console_.WriteError(failure);
    if (attempt < kMessageBoxAttempts) ::Sleep(kMessageBoxRetryMs);
  }
  if (timed) ::KillTimer(window_, kMessageBoxTimerId);
  if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
  return answer == IDYES ? MessageAnswer::kYes : MessageAnswer::kNo;
}

std::unique_ptr<FolderPicker> Win32Ui::CreateFolderPicker() {
  return std::unique_ptr<FolderPicker>(new (std::nothrow) Win32FolderPicker(window_));
}

void Win32Ui::PumpEvents() {
  // Ctrl-C or the console's closing ends an unattended run as Cancel does.
  if (const char* what = ConsoleInterrupt(); what != nullptr && installer_ != nullptr && !installer_->Ended()) {
    installer_->Interrupt(what);
  }
  MSG message{};
  for (int handled = 0; handled < kMessagesPerPump; ++handled) {
    if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return;
    if (message.message == WM_QUIT) {
      // Left for the loop that owns the program.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

float Win32Ui::TwipsPerPixelY() { return twipsPerPixel_; }

void Win32Ui::BringMessageBoxToFront() {
  HWND box = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &MatchMessageBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return;  // not shown yet: the next tick looks again
  ::KillTimer(window_, kMessageBoxTimerId);
  // Above every window that is not itself kept in front, also one that appears later.
  ::SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(box);
}

void Win32Ui::ShowOtherInstance() {
  HWND window = OtherInstanceWindow();
  if (window == nullptr) return;
  // A box or the folder dialog that the window owns lies in front of it and has the input.
  HWND front = ::IsWindowVisible(window) ? ::GetLastActivePopup(window) : FirstVisibleWindowOfThread(window);
  if (front == nullptr) return;  // an unattended run, or one that has not shown anything yet
  if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
  // This process was started by the user just now, so the system lets it hand on the foreground.
  ::SetForegroundWindow(front);
}

// ---- Model changes --------------------------------------------------------------------------

void Win32Ui::OnChanged(Ctl control, Prop property) {
  if (window_ == nullptr || installer_ == nullptr) return;
  const Form& form = installer_->Window();
  switch (property) {
    case Prop::kInterval: {
      const int interval = form[control].interval;
      if (interval > 0) {
        ::SetTimer(window_, TimerIdOf(control), static_cast<UINT>(interval), nullptr);
      } else {
        ::KillTimer(window_, TimerIdOf(control));
      }
      return;
    }
    case Prop::kReady:
      SyncReaders();
      ShowWhenReady();
      return;
    case Prop::kFocus:
      PlaceKeyboard();
      ::InvalidateRect(window_, nullptr, FALSE);
      return;
    case Prop::kPointer:
      RefreshPointer();
      return;
    case Prop::kProgress: {
      const RECT r = PixelRect(Ctl::Verlauf);
      ::InvalidateRect(window_, &r, FALSE);
      return;
    }
    default:
      break;
  }
  if (control == Ctl::Installer) {
    if (property == Prop::kCaption) ::SetWindowTextA(window_, form[control].caption.c_str());
    // The window keeps the skin's pixel size; its scaled twips describe that same size.
    return;
  }
  if (control == Ctl::Text_InstPath) {
    SyncPathBox(property);
    return;
  }
  SyncReaders();
  if (property == Prop::kEnabled || property == Prop::kVisible) PlaceKeyboard();
  ::InvalidateRect(window_, nullptr, FALSE);
}

void Win32Ui::SyncPathBox(Prop property) {
  if (edit_ == nullptr) return;
  const ControlState& box = installer_->Window()[Ctl::Text_InstPath];
  switch (property) {
    case Prop::kCaption:
      // Text set by the installer: its change handler has run already; the box's own change
      // notification must not come back as the user's typing.
      settingPathText_ = true;
      ::SetWindowTextA(edit_, box.caption.c_str());
      settingPathText_ = false;
      break;
    case Prop::kSelection:
      ::SendMessageA(edit_, EM_SETSEL, static_cast<WPARAM>(box.selStart),
                     static_cast<LPARAM>(box.selStart) + box.selLength);
      break;
    case Prop::kGeometry: {
      const RECT r = PixelRect(Ctl::Text_InstPath);
      ::MoveWindow(edit_, r.left, r.top, Width(r), Height(r), TRUE);
      break;
    }
    case Prop::kFontSize: {
      const ControlDesign& design = DesignOf(Ctl::Text_InstPath);
      ::SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(design.fontName, box.fontSize, design.bold)),
                     TRUE);
      break;
    }
    case Prop::kVisible:
      ::ShowWindow(edit_, box.visible ? SW_SHOWNA : SW_HIDE);
      break;
    case Prop::kEnabled:
      if (!box.enabled && ::GetFocus() == edit_) ::SetFocus(window_);  // Escape still reaches Cancel
      ::EnableWindow(edit_, box.enabled ? TRUE : FALSE);
      if (box.enabled) PlaceKeyboard();
      break;
    default:
      break;
  }
}

// ---- Geometry -------------------------------------------------------------------------------

int Win32Ui::Px(float twips) const {
  const double pixels = static_cast<double>(twips) / static_cast<double>(twipsPerPixel_);
  if (!std::isfinite(pixels)) return 0;
  constexpr double kLimit = 1 << 20;  // far outside any screen, far inside int
  if (pixels > kLimit) return static_cast<int>(kLimit);
  if (pixels < -kLimit) return -static_cast<int>(kLimit);
  return static_cast<int>(std::lround(pixels));
}

RECT Win32Ui::PixelRect(Ctl control) const {
  const ControlState& s = installer_->Window()[control];
  const ControlDesign& design = DesignOf(control);
  RECT r{Px(s.left), Px(s.top), 0, 0};
  int width = Px(s.width);
  int height = Px(s.height);
  if (design.kind == ControlKind::kPicture && design.image != Skin::kNone) {
    width = design.imageWidth;
    height = design.imageHeight;
    if (const std::optional<SIZE>& size = skinSize_[SkinIndex(design.image)]) {
      width = size->cx;
      height = size->cy;
    }
  }
  r.right = r.left + (width > 0 ? width : 0);
  r.bottom = r.top + (height > 0 ? height : 0);
  return r;
}

std::optional<Ctl> Win32Ui::HitTest(POINT at) const {
  if (installer_ == nullptr) return std::nullopt;
  const auto& design = InstallerDesign();
  // Pictures lie above the labels; within a kind the later control lies on top.
  for (ControlKind kind : {ControlKind::kPicture, ControlKind::kLabel}) {
    for (auto it = design.rbegin(); it != design.rend(); ++it) {
      if (it->kind != kind || !installer_->Window()[it->id].visible) continue;
      const RECT r = PixelRect(it->id);
      if (::PtInRect(&r, at)) return it->id;
    }
  }
  return std::nullopt;
}

HFONT Win32Ui::FontFor(const char* face, float points, bool bold) {
  // Points to pixels at the screen's resolution; the model has already scaled the size.
  int height = 0;
  const double pixels = static_cast<double>(points) * pixelsPerInch_ / 72.0;
  if (std::isfinite(pixels) && pixels >= 1.0 && pixels <= 1000.0) height = -static_cast<int>(std::lround(pixels));
  for (const CachedFont& cached : fonts_) {
    if (cached.height == height && cached.bold == bold && cached.face == face) return cached.font.get();
  }
  HFONT font = ::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, FontCharset(),
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, face);
  if (font == nullptr) return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  fonts_.push_back(CachedFont{face, height, bold, win32::UniqueFont(font)});
  return font;
}

// ---- Drawing --------------------------------------------------------------------------------

void Win32Ui::Paint() {
  PAINTSTRUCT paint{};
  HDC target = ::BeginPaint(window_, &paint);
  if (target == nullptr) return;
  if (!backBuffer_) backBuffer_.reset(::CreateCompatibleBitmap(target, kClientWidthPx, kClientHeightPx));
  win32::UniqueMemoryDc buffer(::CreateCompatibleDC(target));
  if (backBuffer_ && buffer) {
    Selection selected(buffer.get(), backBuffer_.get());
    DrawScene(buffer.get());
    const RECT& r = paint.rcPaint;
    ::BitBlt(target, r.left, r.top, Width(r), Height(r), buffer.get(), r.left, r.top, SRCCOPY);
  } else {
    DrawScene(target);  // no memory for a buffer: draw straight onto the window
  }
  ::EndPaint(window_, &paint);
}

void Win32Ui::DrawScene(HDC dc) {
  const Form& form = installer_->Window();
  win32::UniqueMemoryDc source(::CreateCompatibleDC(dc));
  const RECT client{0, 0, kClientWidthPx, kClientHeightPx};

  HBITMAP background = skin_[SkinIndex(Skin::kBackground)].get();
  if (background != nullptr && source) {
    Selection selected(source.get(), background);
    ::BitBlt(dc, 0, 0, kClientWidthPx, kClientHeightPx, source.get(), 0, 0, SRCCOPY);
  } else {
    FillSolid(dc, client, static_cast<COLORREF>(kSkinBackColour));  // both are 0x00BBGGRR
  }

  for (const ControlDesign& design : InstallerDesign()) {
    if (!form[design.id].visible) continue;
    if (design.kind == ControlKind::kPicture) {
      if (design.id == Ctl::Verlauf) {
        DrawProgress(dc);
        continue;
      }
      HBITMAP bitmap = skin_[SkinIndex(design.image)].get();
      if (bitmap == nullptr || !source) continue;
      const RECT r = PixelRect(design.id);
      Selection selected(source.get(), bitmap);
      ::BitBlt(dc, r.left, r.top, Width(r), Height(r), source.get(), 0, 0, SRCCOPY);
    } else if (design.kind == ControlKind::kLabel) {
      DrawLabel(dc, design.id);
    }
  }
  DrawFocusMark(dc);
}

// The mark of the stop that has the keyboard, drawn beside what it marks, never over a picture
// or a text: a bar in the skin's amber one pixel under a picture button; on the amber face of
// Install and Cancel a frame in their ink, within the face and round the centred caption. The
// path box shows its caret instead. No mark while the window is not the active one, while the
// stop is disabled, or while the system hides focus marks until the keyboard is used.
void Win32Ui::DrawFocusMark(HDC dc) {
  const Form& form = installer_->Window();
  const FocusStop stop = form.Focus();
  if (hideFocus_ || stop == FocusStop::kPath || !TakesFocus(form, stop)) return;
  if (::GetActiveWindow() != window_) return;
  const std::optional<Ctl> shown = ShownControl(form, stop);
  if (!shown) return;
  const RECT r = PixelRect(*shown);
  if (IsButtonLabel(*shown)) {
    const RECT frame{r.left + 5, r.top - 1, r.right - 5, r.bottom};
    const RECT sides[] = {
        {frame.left, frame.top, frame.right, frame.top + 1},
        {frame.left, frame.bottom - 1, frame.right, frame.bottom},
        {frame.left, frame.top, frame.left + 1, frame.bottom},
        {frame.right - 1, frame.top, frame.right, frame.bottom},
    };
    for (const RECT& side : sides) FillSolid(dc, side, kInk);
  } else {
    FillSolid(dc, RECT{r.left, r.bottom + 1, r.right, r.bottom + 3}, kAmber);
  }
}

void Win32Ui::DrawLabel(HDC dc, Ctl control) {
  const ControlState& s = installer_->Window()[control];
  if (s.caption.empty()) return;
  const ControlDesign& design = DesignOf(control);
  RECT r = PixelRect(control);
  UINT format = DT_NOPREFIX;
  COLORREF colour = s.enabled ? kText : kTextDisabled;  // light on the dark panel
  if (IsButtonLabel(control)) {
    // Install and Cancel lie on the skin's amber buttons: dark, centred text.
    format |= DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    colour = s.enabled ? kInk : kInkDisabled;
  } else if (control == Ctl::Label_Text) {
    // The information text wraps at blanks within its box and breaks at CR LF.
    format |= DT_WORDBREAK;
  } else {
    // A one-line label breaks only at CR LF and keeps its designed box: a longer caption is cut
    // at the box's right edge rather than run under the pictures beside it.
    if (control == Ctl::Label_Caption || control == Ctl::Label_Language) colour = s.enabled ? kAmber : kTextDisabled;
  }
  Selection font(dc, FontFor(design.fontName, s.fontSize, design.bold));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, colour);
  ::DrawTextA(dc, s.caption.c_str(), TextLength(s.caption), &r, format);
}

void Win32Ui::DrawProgress(HDC dc) {
  const RECT r = PixelRect(Ctl::Verlauf);
  FillSolid(dc, r, kProgressBack);
  const ProgressPicture& progress = installer_->Window().Progress();
  if (!progress.drawn) return;

  // A value above 100 would draw beyond the right edge, which the picture box clips.
  const long long width = Width(r);
  long long bar = width * static_cast<long long>(progress.barPercent) / 100;
  if (bar > width) bar = width;
  if (bar > 0) {
    const RECT filled{r.left, r.top, r.left + static_cast<int>(bar), r.bottom};
    FillSolid(dc, filled, kProgressBar);
  }

  const ControlDesign& design = DesignOf(Ctl::Verlauf);
  Selection font(dc, FontFor(design.fontName, kProgressFontPoints, false));
  SIZE extent{};
  const int length = TextLength(progress.text);
  ::GetTextExtentPoint32A(dc, progress.text.c_str(), length, &extent);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, kProgressText);
  const int x = r.left + Width(r) / 2 - extent.cx / 2;
  ::ExtTextOutA(dc, x, r.top, ETO_CLIPPED, &r, progress.text.c_str(), static_cast<UINT>(length), nullptr);
}

// ---- Mouse and pointer ----------------------------------------------------------------------

void Win32Ui::MouseDown(POINT at) {
  const std::optional<Ctl> hit = HitTest(at);
  pressed_ = hit;
  // Every button presses; only the controls with a mouse-down handler take it.
  if (hit) installer_->Deliver(*hit, Event::kMouseDown);
}

void Win32Ui::MouseUp(POINT at) {
  const std::optional<Ctl> pressed = pressed_;
  pressed_.reset();
  if (!pressed) return;
  // A click is a press and a release of the left button on the same control.
  if (HitTest(at) == pressed) installer_->Deliver(*pressed, Event::kClick);
}

bool Win32Ui::SetPointer(HWND over) {
  if (installer_ == nullptr) return false;
  const Form& form = installer_->Window();
  if (form.WindowPointer() == MousePointer::kHourglass) {
    ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // IDC_WAIT, over every control
    return true;
  }
  if (over != window_) return false;  // the path box shows its own pointer
  POINT at{};
  ::GetCursorPos(&at);
  ::ScreenToClient(window_, &at);
  const std::optional<Ctl> hit = HitTest(at);
  if (hit && DesignOf(*hit).pointer == MousePointer::kCustom && customPointer_ != nullptr) {
    ::SetCursor(customPointer_);
  } else {
    ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // IDC_ARROW
  }
  return true;
}

void Win32Ui::RefreshPointer() {
  if (!shown_) return;
  POINT at{};
  if (!::GetCursorPos(&at)) return;
  HWND over = ::WindowFromPoint(at);
  if (over != window_ && over != edit_) return;
  ::SendMessageA(over, WM_SETCURSOR, reinterpret_cast<WPARAM>(over), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

// ---- Window procedures ----------------------------------------------------------------------

LRESULT CALLBACK Win32Ui::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETMINMAXINFO) {
    // The first message of all, before the window knows its view. The system would cut a
    // window taller or wider than the screen down to the screen's size, and the skin's bottom
    // row with it: the frame of the full client area is allowed at every screen size.
    const LRESULT result = ::DefWindowProcA(window, message, wParam, lParam);
    RECT frame{0, 0, kClientWidthPx, kClientHeightPx};
    if (::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0)) {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMaxTrackSize.x = std::max(limits->ptMaxTrackSize.x, static_cast<LONG>(Width(frame)));
      limits->ptMaxTrackSize.y = std::max(limits->ptMaxTrackSize.y, static_cast<LONG>(Height(frame)));
      limits->ptMaxSize.x = std::max(limits->ptMaxSize.x, static_cast<LONG>(Width(frame)));
      limits->ptMaxSize.y = std::max(limits->ptMaxSize.y, static_cast<LONG>(Height(frame)));
    }
    return result;
  }
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* self = static_cast<Win32Ui*>(create->lpCreateParams);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self != nullptr) self->window_ = window;
  }
  auto* self = reinterpret_cast<Win32Ui*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    self->window_ = nullptr;
    self->edit_ = nullptr;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  if (self->installer_ == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
  // Nothing thrown may cross into the system: a failed step of a handler is dropped, said in
  // the log, and the window goes on, as every step of the installer does.
  try {
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    self->installer_->LogUnexpected(CurrentExceptionText());
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT Win32Ui::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the whole client area is painted from the buffer
    case WM_TIMER:
      if (wParam == kMessageBoxTimerId) {
        BringMessageBoxToFront();
        return 0;
      }
      if (const std::optional<Ctl> timer = TimerOfId(wParam)) {
        installer_->Deliver(*timer, Event::kTimer);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (message != WM_LBUTTONDOWN) {
        const std::optional<Ctl> hit = HitTest(at);
        if (hit) installer_->Deliver(*hit, Event::kMouseDown);
      } else {
        MouseDown(at);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      MouseUp(at);
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && SetPointer(reinterpret_cast<HWND>(wParam))) return TRUE;
      if (reinterpret_cast<HWND>(wParam) != window_) return FALSE;  // a child decides for itself
      break;
    case WM_COMMAND:
      // A client pressed a stand-in button (a screen reader's default action): the stop is
      // pressed as Space on it would, and the stand-ins show what came of it.
      // A stand-in that got the keyboard from a client: the window's focus follows.
      if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == BN_SETFOCUS) {
        const std::optional<FocusStop> stop = StopOfWindow(reinterpret_cast<HWND>(lParam));
        if (stop && *stop != FocusStop::kPath) {
          if (HIWORD(wParam) == BN_CLICKED) {
            installer_->DeliverPress(*stop);
          } else {
            installer_->DeliverFocus(*stop);
          }
          return 0;
        }
      }
      if (reinterpret_cast<HWND>(lParam) == edit_ && edit_ != nullptr && HIWORD(wParam) == EN_CHANGE) {
        if (!settingPathText_) {
          const int length = ::GetWindowTextLengthA(edit_);
          std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
          const int copied = ::GetWindowTextA(edit_, text.data(), static_cast<int>(text.size()));
          text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
          installer_->DeliverTypedText(text);
        }
        return 0;
      }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == edit_ && edit_ != nullptr) {
        const bool enabled = ::IsWindowEnabled(edit_) != FALSE;
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, enabled ? kText : kTextDisabled);
        ::SetBkColor(dc, enabled ? kPathBoxFace : kPathBoxFaceDisabled);
        return reinterpret_cast<LRESULT>(enabled ? pathBoxBrush_.get() : pathBoxDisabledBrush_.get());
      }
      break;
    case WM_SETFOCUS:
      PlaceKeyboard();
      return 0;
    case WM_ACTIVATE:
      ::InvalidateRect(window_, nullptr, FALSE);  // the focus mark shows only while active
      break;
    case WM_UPDATEUISTATE:
      if ((HIWORD(wParam) & UISF_HIDEFOCUS) != 0) {
        if (LOWORD(wParam) == UIS_SET) hideFocus_ = true;
        if (LOWORD(wParam) == UIS_CLEAR) hideFocus_ = false;
        ::InvalidateRect(window_, nullptr, FALSE);
      }
      break;  // the system keeps its own record and tells the children
    case WM_QUERYUISTATE: {
      // The window's answer is what it draws, also where the system keeps no record of its own.
      const LRESULT system = ::DefWindowProcA(window_, message, wParam, lParam) & ~LRESULT{UISF_HIDEFOCUS};
      return system | (hideFocus_ ? LRESULT{UISF_HIDEFOCUS} : 0);
    }
    case WM_SYSKEYDOWN:
      if (wParam == VK_MENU) ShowFocusCues();  // Alt shows the keyboard's marks, as in dialogs
      break;
    case WM_KEYDOWN:
    case WM_CHAR:
      // The window itself has the keyboard while what has the focus is locked.
      if (HandleKey(message, wParam, lParam)) return 0;
      break;
    case WM_CLOSE:
      EndLikeCancel();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(window_, message, wParam, lParam);
}

bool Win32Ui::HandleKey(UINT message, WPARAM wParam, LPARAM lParam) {
  if (installer_ == nullptr) return false;
  // Their characters follow the keys: nothing to type, and no beep.
  if (message == WM_CHAR) return wParam == '\t' || wParam == '\r' || wParam == 0x1B || wParam == ' ';
  if (message != WM_KEYDOWN) return false;
  switch (wParam) {
    case VK_TAB:
      ShowFocusCues();
      installer_->DeliverKey(::GetKeyState(VK_SHIFT) < 0 ? Key::kBackTab : Key::kTab);
      return true;
    // A held key presses once: the box a press brought up must not be answered by its repeats.
    case VK_RETURN:
      if (FirstPress(lParam)) installer_->DeliverKey(Key::kEnter);
      return true;
    case VK_ESCAPE:
      if (FirstPress(lParam)) installer_->DeliverKey(Key::kEscape);
      return true;
    case VK_SPACE:
      if (FirstPress(lParam)) installer_->DeliverKey(Key::kSpace);
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK Win32Ui::PathBoxProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Ui*>(::GetWindowLongPtrA(edit, GWLP_USERDATA));
  if (self == nullptr || self->editProc_ == nullptr) return ::DefWindowProcA(edit, message, wParam, lParam);
  const WNDPROC own = self->editProc_;
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    ::SetWindowLongPtrA(edit, GWLP_USERDATA, 0);
    return ::CallWindowProcA(own, edit, message, wParam, lParam);
  }
  if (self->installer_ != nullptr && message == WM_SETFOCUS) {
    // A click into the box: the window's focus follows it there.
    try {
      self->installer_->DeliverFocus(FocusStop::kPath);
    } catch (...) {
      self->installer_->LogUnexpected(CurrentExceptionText());
    }
  }
  if (self->installer_ != nullptr && ((message == WM_KEYDOWN && wParam == VK_TAB) || (message == WM_CHAR && wParam == '\t'))) {
    try {
      self->HandleKey(message, wParam, lParam);
    } catch (...) {
      self->installer_->LogUnexpected(CurrentExceptionText());
    }
    return 0;
  }
  if (self->installer_ != nullptr && IsButtonKey(message, wParam, lParam)) {
    // Enter presses Install, Escape Cancel; the box neither beeps at them nor takes them as text.
    if (message == WM_KEYDOWN) {
      try {
        self->installer_->DeliverKey(wParam == VK_RETURN ? Key::kEnter : Key::kEscape);
      } catch (...) {
      }
    }
    return 0;
  }
  if (message == WM_LBUTTONDBLCLK && self->installer_ != nullptr) {
    // The box selects the word first, as it does anyway; the installer then selects it all.
    const LRESULT result = ::CallWindowProcA(own, edit, message, wParam, lParam);
    try {
      self->installer_->Deliver(Ctl::Text_InstPath, Event::kDblClick);
    } catch (...) {
      self->installer_->LogUnexpected(CurrentExceptionText());
    }
    return result;
  }
  return ::CallWindowProcA(own, edit, message, wParam, lParam);
}

}  // namespace tunovar::win32
