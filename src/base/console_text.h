// What the consoles of an unattended run show, the same on every back-end: the progress bar on
// a terminal, messages with the terminal's line ends, and the lines of the log.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/local_date_time.h"

namespace tunovar {

// "[##########------------------------------]  25%": a bar of 40 columns and the figure in
// three; a figure outside 0..100 is drawn as the nearer end.
[[nodiscard]] std::string ProgressBarText(int percent);

// The text with its line ends (CR LF, a lone CR or LF) as lineEnd, each line after the first
// indented by indent blanks, so that it stands under the first.
[[nodiscard]] std::string WithLineEnds(std::string_view text, std::string_view lineEnd,
                                       std::size_t indent = 0);

// One line of the log, with its end: "2026-12-08 10:00:00 " and the text, whose further lines
// stand under its first.
[[nodiscard]] std::string LogLineText(const LocalDateTime& when, std::string_view text,
                                      std::string_view lineEnd);

// A message of the installer (ANSI, its line ends) as a UTF-8 terminal or log shows it: line
// ends as LF, further lines indented by indent blanks.
[[nodiscard]] std::string TerminalText(std::string_view ansi, std::size_t indent = 0);

}  // namespace tunovar
