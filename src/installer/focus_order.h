// The keyboard's way through the installer window: which controls make up each stop, which
// stops can take the keyboard, the next one for Tab and Shift+Tab, what a press on a stop
// delivers, and the name and role a screen reader is given for it.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "installer/form.h"

namespace tunovar {

// The controls of a stop: the two pictures of a pair, or the one control.
[[nodiscard]] std::span<const Ctl> StopControls(FocusStop stop);

// A stop takes the keyboard once the window is ready, while one of its controls is visible and
// enabled: a pair keeps it while its pressed picture shows; locked, only Cancel is left.
[[nodiscard]] bool TakesFocus(const Form& form, FocusStop stop);

// The stop Tab (or Shift+Tab, backwards) moves to from the one that has the keyboard: the next
// in reading order that takes it, round the end; nullopt when no other stop takes it.
[[nodiscard]] std::optional<FocusStop> NextStop(const Form& form, FocusStop from, bool backwards);

// The control that a click on the stop lands on (the visible picture of a pair); nullopt when
// none of its controls is visible.
[[nodiscard]] std::optional<Ctl> ShownControl(const Form& form, FocusStop stop);

enum class AccessibleRole : std::uint8_t { kPushButton, kCheckBox, kEditBox };

// What a screen reader is told of a stop: its role and its name in the language shown. The
// arrows and the symbol buttons have no text of their own in the installer texts: their names
// are English.
[[nodiscard]] AccessibleRole RoleOf(FocusStop stop);
[[nodiscard]] std::string AccessibleName(const Form& form, FocusStop stop);

}  // namespace tunovar
