// The window system as the core uses it: message boxes, the folder chooser, letting queued
// events run, and the screen's resolution. The window itself is a model (installer/form.h)
// that a view of the back-end mirrors.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace tunovar {

enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

// A folder chooser (the FolderPicker component): a root ("Desktop" is the desktop
// namespace), an optional preselected folder, a modal show.
class FolderPicker {
 public:
  virtual ~FolderPicker() = default;
  virtual void SetOptions(int first, int second, bool third) = 0;
  virtual void SetRoot(const std::string& root) = 0;
  // True when the folder exists and is selected when the chooser opens.
  [[nodiscard]] virtual bool Preselect(const std::string& folder) = 0;
  // Shows the chooser; the chosen folder, or nullopt when the user cancelled.
  [[nodiscard]] virtual std::optional<std::string> ShowModal() = 0;
};

class Ui {
 public:
  virtual ~Ui() = default;
  // A modal message box owned by the installer window (when it is shown).
  virtual MessageAnswer ShowMessage(const std::string& title, const std::string& text,
                                    MessageButtons buttons) = 0;
  // nullptr when no chooser can be made.
  [[nodiscard]] virtual std::unique_ptr<FolderPicker> CreateFolderPicker() = 0;
  // Lets queued window events run (timers, repaints, clicks), then returns.
  virtual void PumpEvents() = 0;
  // Twips per pixel of the screen, vertical (15 at 96 pixels per inch).
  [[nodiscard]] virtual float TwipsPerPixelY() = 0;
  // Brings what the instance already running shows (its window, or the box it asks a question
  // in) to the front; nothing where it shows nothing.
  virtual void ShowOtherInstance() = 0;
};

}  // namespace tunovar
