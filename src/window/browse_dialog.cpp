// The folder chooser: BrowseDialog1 with its parameters, and the Browse button of the window.
#include "window/browse_dialog.h"

#include "base/ansi_text.h"
#include "base/windows_path.h"
#include "installer/installer.h"

namespace tunovar {

std::string BrowseDialog1::SetStartPath(const std::optional<std::string>& Path) {
  if (Path) StartPath = *Path;
  return StartPath;
}

std::string BrowseDialog1::SetActualPath(const std::string& Path) {
  ActualPath = Path;
  return Path;
}

std::string BrowseDialog1::SetOpenedFolder(const std::string& Path) {
  OpenedFolder = Path;
  return Path;
}

std::string BrowseDialog1::SetPathSave(const std::string& Path) {
  PathSave = Path;
  return Path;
}

std::int32_t BrowseDialog1::SetDebugMode(std::int32_t DebMode) {
  if (DebMode == 0) visible_ = false;
  if (DebMode == 1) visible_ = true;
  return 0;
}

void BrowseDialog1::ShowBrowseDialog_Click() {
  if (!picker_) picker_ = ui_.CreateFolderPicker();
  if (!picker_) {
    // No chooser: as if the user had cancelled, so that the path box is not given the
    // chooser's root name ("Desktop") as a folder.
    SetActualPath(GetPathSave());
    return;
  }
  picker_->SetOptions(1, 3, true);
  picker_->SetRoot(GetActualPath());
  if (picker_->Preselect(GetOpenedFolder())) SetActualPath(GetOpenedFolder());
  if (const std::optional<std::string> chosen = picker_->ShowModal()) {
    SetActualPath(*chosen);
  } else {
    SetActualPath(GetPathSave());
  }
}

void Installer::Browse_P_MouseDown() {
  // The pause blocks the window, as the pressed picture is shown only afterwards.
  platform_.clock.SleepMs(500);
  form_.SetVisible(Ctl::Browse_A, true);
  form_.SetVisible(Ctl::Browse_P, false);
  BrowseTargetFolder();
  form_.SetVisible(Ctl::Browse_P, true);
  form_.SetVisible(Ctl::Browse_A, false);
}

void Installer::BrowseTargetFolder() {
  {
    BrowseDialog1 dialog(platform_.ui);
    dialog.Form_Load();
    dialog.SetStartPath("Desktop");
    const std::string current = form_[Ctl::Text_InstPath].caption;
    // A folder named with its trailing "\" lists the files in it, as a directory search does
    // for such a name; a folder without files, or no folder, preselects C:\.
    const std::string pattern =
        EndsInBackslash(current) ? current + "*" : current;
    if (platform_.fs.ListFiles(pattern).empty()) {
      dialog.SetOpenedFolder("C:\\");
    } else {
      dialog.SetOpenedFolder(current);
    }
    dialog.SetPathSave(current);
    dialog.ShowBrowseDialog_Click();
    SetInstPathText(dialog.GetActualPath());
    const std::string chosen = form_[Ctl::Text_InstPath].caption;
    if (!EqualsNoCase(RightPart(chosen, 7), "TUNOVAR")) {
      SetInstPathText(chosen + (EndsInBackslash(chosen) ? "TUNOVAR" : "\\TUNOVAR"));
    }
  }  // the form is unloaded and its chooser released here
  UpdateTargetDrive();
  UpdateInfoText(texts.LangIndex);
}

}  // namespace tunovar
