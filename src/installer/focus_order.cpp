// The stops of the keyboard in the installer window, their order and their names.
#include "installer/focus_order.h"

#include <array>

namespace tunovar {
namespace {

struct StopRow {
  FocusStop stop;
  std::array<Ctl, 2> controls;
  std::size_t count;
  AccessibleRole role;
  const char* name;  // the name while no label's caption gives one
  Ctl nameLabel;     // the label whose caption names the stop; Installer: none
};

using R = AccessibleRole;

// In reading order, indexed by FocusStop. The normal picture of a pair comes first.
constexpr StopRow kStops[] = {
    {FocusStop::kUp, {Ctl::Up_P, Ctl::Up_A}, 2, R::kPushButton, "Next language", Ctl::Installer},
    {FocusStop::kDown, {Ctl::Down_P, Ctl::Down_A}, 2, R::kPushButton, "Previous language", Ctl::Installer},
    {FocusStop::kHelp, {Ctl::Help_P, Ctl::Help_A}, 2, R::kPushButton, "Help", Ctl::Installer},
    {FocusStop::kPath, {Ctl::Text_InstPath, Ctl::Text_InstPath}, 1, R::kEditBox, "Target folder", Ctl::Label_InstPath},
    {FocusStop::kBrowse, {Ctl::Browse_P, Ctl::Browse_A}, 2, R::kPushButton, "Browse", Ctl::Installer},
    {FocusStop::kCddb, {Ctl::CDDB_a, Ctl::CDDB_p}, 2, R::kCheckBox, "CDDB", Ctl::Label_CDDB},
    {FocusStop::kInstall, {Ctl::Label_Install, Ctl::Label_Install}, 1, R::kPushButton, "Install", Ctl::Label_Install},
    {FocusStop::kCancel, {Ctl::Label_Cancel, Ctl::Label_Cancel}, 1, R::kPushButton, "Cancel", Ctl::Label_Cancel},
};
static_assert(std::size(kStops) == kFocusStopCount);

constexpr bool StopsInOrder() {
  for (std::size_t i = 0; i < kFocusStopCount; ++i) {
    if (static_cast<std::size_t>(kStops[i].stop) != i) return false;
  }
  return true;
}
static_assert(StopsInOrder(), "the stops must be listed in the order of FocusStop");

const StopRow& RowOf(FocusStop stop) { return kStops[static_cast<std::size_t>(stop)]; }

}  // namespace

std::span<const Ctl> StopControls(FocusStop stop) {
  const StopRow& row = RowOf(stop);
  return {row.controls.data(), row.count};
}

bool TakesFocus(const Form& form, FocusStop stop) {
  if (!form.Ready()) return false;
  for (const Ctl c : StopControls(stop)) {
    if (form[c].visible && form[c].enabled) return true;
  }
  return false;
}

std::optional<FocusStop> NextStop(const Form& form, FocusStop from, bool backwards) {
  const std::size_t n = kFocusStopCount;
  std::size_t at = static_cast<std::size_t>(from);
  for (std::size_t step = 1; step < n; ++step) {
    at = backwards ? (at + n - 1) % n : (at + 1) % n;
    const auto stop = static_cast<FocusStop>(at);
    if (TakesFocus(form, stop)) return stop;
  }
  return std::nullopt;
}

std::optional<Ctl> ShownControl(const Form& form, FocusStop stop) {
  for (const Ctl c : StopControls(stop)) {
    if (form[c].visible) return c;
  }
  return std::nullopt;
}

AccessibleRole RoleOf(FocusStop stop) { return RowOf(stop).role; }

std::string AccessibleName(const Form& form, FocusStop stop) {
  const StopRow& row = RowOf(stop);
  if (row.nameLabel != Ctl::Installer) {
    const std::string& caption = form[row.nameLabel].caption;
    if (!caption.empty()) return caption;
  }
  return row.name;
}

}  // namespace tunovar
