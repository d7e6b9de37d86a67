// The target path's repair from any text: the result has the shape of an install folder,
// holds nothing Windows refuses in a path, and repairing it again changes nothing; the folder
// resolved from it has no "." or ".." left and resolves to itself.
#include <optional>
#include <string>

#include "base/ansi_text.h"
#include "base/windows_path.h"
#include "fuzz/fuzz_input.h"
#include "base/target_path.h"

using namespace tunovar;
using tunovar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string path = SanitizeTargetPath(text);
  // A text without a drive ("", "::x", "\x") does not come out as a folder on a drive
  // either ("\T\UNOVAR\"), and the drive check refuses it later: the shape counts on drives.
  const bool onDrive = path.size() >= 2 && path[1] == ':';
  Require(!onDrive || EndsWithNoCase(path, "TUNOVAR\\"), "a folder on a drive ends in TUNOVAR\\");
  Require(!onDrive || (path.size() >= 3 && path[2] == '\\'), "a drive is followed by \\");
  Require(path.find("\\\\") == std::string::npos, "no empty component");
  Require(path.find_first_of("<>|?*\"/ ") == std::string::npos, "no character a path cannot hold, no blank");
  Require(path.find(':', 2) == std::string::npos, "a colon only after the drive letter");
  Require(!onDrive || SanitizeTargetPath(path) == path, "a repaired folder on a drive needs no repair");

  // The folder the records name: resolved as Windows resolves it, or refused.
  const std::optional<std::string> folder = TargetFolderOfText(text);
  Require(!folder || onDrive, "only a folder on a drive is taken");
  if (folder) {
    Require(folder->size() >= 3 && (*folder)[1] == ':' && (*folder)[2] == '\\', "the folder starts at a drive's root");
    Require(EndsWithNoCase(*folder, "TUNOVAR\\"), "the resolved folder ends in TUNOVAR\\");
    Require(!HasDotsComponent(*folder), "no \".\" or \"..\" component is left");
    Require(ResolvedFolderPath(*folder) == folder, "a resolved folder resolves to itself");
  }
  return 0;
}
