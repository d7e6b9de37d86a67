// The unattended switches of the argument string (/S, /D=, /LANG=, /NOCDDB, /LOG=).
//
// Switches are whole words, letter case ignored. "/D=" comes last and takes the rest of the
// string, blanks included. They are taken out and the rest trimmed before the uninstall test,
// so "d" alone still selects uninstall and "d /S" is a silent uninstall.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tunovar {

struct Switches {
  bool silent = false;                    // /S
  std::optional<std::string> targetPath;  // /D=path
  std::optional<int> language;            // /LANG=n
  bool noCddb = false;                    // /NOCDDB
  std::optional<std::string> logFile;     // /LOG=file
  std::string rest;                       // the argument string without the switches, trimmed
  std::string usageError;                 // empty when the switches are good
};

[[nodiscard]] Switches ParseSwitches(std::string_view arguments);

// The text shown for a usage error (exit code 64).
[[nodiscard]] std::string UsageText();

}  // namespace tunovar
