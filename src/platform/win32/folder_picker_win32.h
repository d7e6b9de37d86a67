// The folder chooser of a Windows run: the system's folder dialog (SHBrowseForFolderA).
//
// The component's three options map onto the dialog's flags as follows: the first and the
// second value are read as BIF_ bits, of which only BIF_RETURNONLYFSDIRS (1) and
// BIF_DONTGOBELOWDOMAIN (2) are taken (1 and 3 give both: only folders of the file system,
// no network computers); the third, when true, asks for the newer, resizable dialog with its
// "Make New Folder" button (BIF_NEWDIALOGSTYLE).
#pragma once

#include "platform/win32/win32.h"

#include <ole2.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "platform/ui.h"

namespace tunovar::win32 {

class Win32FolderPicker final : public FolderPicker {
 public:
  // owner: the window the dialog belongs to while it is visible.
  explicit Win32FolderPicker(HWND owner) : owner_(owner) {}

  void SetOptions(int first, int second, bool third) override;
  void SetRoot(const std::string& root) override { root_ = root; }
  bool Preselect(const std::string& folder) override;
  std::optional<std::string> ShowModal() override;

 private:
  // "Desktop" (or nothing) is the desktop namespace; any other root is a folder of its own.
  [[nodiscard]] PIDLIST_ABSOLUTE RootFolder() const;
  static int CALLBACK Callback(HWND dialog, UINT message, LPARAM, LPARAM data);

  HWND owner_;
  UINT flags_ = BIF_RETURNONLYFSDIRS;
  std::string root_ = "Desktop";
  std::string preselected_;
};

}  // namespace tunovar::win32
