// BrowseDialog1: the parameter holder around the folder chooser. Never shown to the user;
// its four text boxes carry the chooser's parameters and result.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui.h"

namespace tunovar {

class BrowseDialog1 {
 public:
  // Loading the form: the text boxes take their design values.
  explicit BrowseDialog1(Ui& ui) : ui_(ui) {}
  BrowseDialog1(const BrowseDialog1&) = delete;
  BrowseDialog1& operator=(const BrowseDialog1&) = delete;

  // Each setter stores its argument and returns it; SetStartPath without one only reads.
  std::string SetStartPath(const std::optional<std::string>& Path = std::nullopt);
  [[nodiscard]] std::string GetStartPath() const { return StartPath; }
  [[nodiscard]] std::string GetActualPath() const { return ActualPath; }
  std::string SetActualPath(const std::string& Path);
  [[nodiscard]] std::string GetOpenedFolder() const { return OpenedFolder; }
  std::string SetOpenedFolder(const std::string& Path);
  [[nodiscard]] std::string GetPathSave() const { return PathSave; }
  std::string SetPathSave(const std::string& Path);
  // 0 hides the form, 1 shows it (not modal), other values do nothing. Always 0.
  std::int32_t SetDebugMode(std::int32_t DebMode);

  // Runs the chooser: rooted at ActualPath, OpenedFolder preselected when the chooser accepts
  // it; afterwards ActualPath holds the chosen folder, or PathSave when the user cancelled.
  // Without a chooser ActualPath takes PathSave, as on Cancel.
  void ShowBrowseDialog_Click();
  void Form_Load() {}

  [[nodiscard]] bool Visible() const { return visible_; }

 private:
  Ui& ui_;
  // The text boxes, with their design texts.
  std::string StartPath = "Desktop";
  std::string ActualPath = "Desktop";
  std::string OpenedFolder;
  std::string PathSave;
  bool visible_ = false;
  // Created on first use and released with the form.
  std::unique_ptr<FolderPicker> picker_;
};

}  // namespace tunovar
