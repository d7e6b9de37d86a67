// The Win32 view of the installer window: draws the skin, hosts the path box, turns window
// messages into the installer's events; message boxes and the folder chooser of a Windows run.
//
// Ui members on Windows: real  every one.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/ui.h"
#include "platform/win32/reader_windows_win32.h"
#include "platform/win32/win32.h"
#include "installer/installer_run.h"

namespace tunovar::win32 {

template <typename Object>
void DeleteGdiObject(Object object) {
  ::DeleteObject(object);
}
inline void DeleteMemoryDc(HDC dc) { ::DeleteDC(dc); }

using UniqueBitmap = UniqueHandleOf<HBITMAP, DeleteGdiObject<HBITMAP>, std::intptr_t{0}>;
using UniqueFont = UniqueHandleOf<HFONT, DeleteGdiObject<HFONT>, std::intptr_t{0}>;
using UniqueBrush = UniqueHandleOf<HBRUSH, DeleteGdiObject<HBRUSH>, std::intptr_t{0}>;
using UniqueMemoryDc = UniqueHandleOf<HDC, DeleteMemoryDc, std::intptr_t{0}>;

// The window of an install run. It is created hidden by Attach and shown once the model says
// it is ready (the end of the window's initialisation), never in a silent run and never in
// uninstall mode, where the model never becomes ready. Even hidden it carries the timers.
// Make it before the run it is attached to (the run's platform holds it) and let it end after.
class Win32Ui final : public Ui, public FormObserver {
 public:
  // silent: a run without a window (/S), whose window is never shown. console: where a box
  // that the system could not show is reported.
  Win32Ui(HINSTANCE instance, bool silent, Console& console);
  ~Win32Ui() override;
  Win32Ui(const Win32Ui&) = delete;
  Win32Ui& operator=(const Win32Ui&) = delete;

  // Observes the run's window model and creates the window (hidden).
  void Attach(InstallerRun& installer);
  // Runs the message loop until the run has ended, destroys the window and returns the
  // run's exit code.
  [[nodiscard]] int Run();

  // Ui
  MessageAnswer ShowMessage(const std::string& title, const std::string& text,
                            MessageButtons buttons) override;
  [[nodiscard]] std::unique_ptr<FolderPicker> CreateFolderPicker() override;
  void PumpEvents() override;
  [[nodiscard]] float TwipsPerPixelY() override;
  void ShowOtherInstance() override;

  // FormObserver
  void OnChanged(Ctl control, Prop property) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PathBoxProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // The keys of the window, wherever the keyboard is in it; true when the key was taken.
  bool HandleKey(UINT message, WPARAM wParam, LPARAM lParam);

  void CreateMainWindow();
  void CreatePathBox();
  void LoadSkin();
  void CreateReaderWindows();
  void SyncReaders();
  void ShowWhenReady();
  // Gives the keyboard to the window of the stop that has it in the model (the window itself
  // while that one is disabled), when the installer window is the active one.
  void PlaceKeyboard();
  [[nodiscard]] HWND KeyboardWindowOf(FocusStop stop) const;
  [[nodiscard]] std::optional<FocusStop> StopOfWindow(HWND window) const;
  // The keyboard was used to move around the window: the focus mark shows from now on.
  void ShowFocusCues();
  void SyncPathBox(Prop property);

  void Paint();
  void DrawScene(HDC dc);
  void DrawLabel(HDC dc, Ctl control);
  void DrawProgress(HDC dc);
  void DrawFocusMark(HDC dc);

  void MouseDown(POINT at);
  void MouseUp(POINT at);
  bool SetPointer(HWND over);
  void RefreshPointer();
  void EndLikeCancel();
  void BringMessageBoxToFront();

  // Where a control lies on the client area in pixels: a picture at its bitmap's size, any
  // other control at its size in the model.
  [[nodiscard]] RECT PixelRect(Ctl control) const;
  [[nodiscard]] int Px(float twips) const;
  [[nodiscard]] std::optional<Ctl> HitTest(POINT at) const;
  [[nodiscard]] HFONT FontFor(const char* face, float points, bool bold);
  [[nodiscard]] HWND OwnerWindow() const;

  struct CachedFont {
    std::string face;
    int height;
    bool bold;
    win32::UniqueFont font;
  };

  HINSTANCE instance_;
  bool silent_;
  Console& console_;
  InstallerRun* installer_ = nullptr;
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  WNDPROC editProc_ = nullptr;  // the EDIT class's own procedure, below ours
  // The stand-ins of the drawn controls for accessibility clients: one per stop (the path box
  // is a real EDIT and has none), and the labels a reader reads out.
  std::array<std::optional<ReaderWindow>, kFocusStopCount> stopReaders_{};
  std::vector<std::pair<Ctl, ReaderWindow>> labelReaders_;
  bool hideFocus_ = false;  // the system hides focus marks until the keyboard is used
  bool shown_ = false;
  bool settingPathText_ = false;  // the model is setting the path box's text
  std::optional<Ctl> pressed_;    // the control the left button went down on
  float twipsPerPixel_ = 15.0f;
  int pixelsPerInch_ = 96;

  std::array<win32::UniqueBitmap, 12> skin_{};  // indexed by Skin
  std::array<std::optional<SIZE>, 12> skinSize_{};  // each loaded bitmap's size in pixels
  HCURSOR customPointer_ = nullptr;
  HICON icon_ = nullptr;
  win32::UniqueBitmap backBuffer_;
  win32::UniqueBrush pathBoxBrush_;
  win32::UniqueBrush pathBoxDisabledBrush_;
  std::vector<CachedFont> fonts_;
};

}  // namespace tunovar::win32
