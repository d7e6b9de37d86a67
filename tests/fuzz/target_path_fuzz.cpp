// The target path's repair from any text: the result has the shape of an install folder,
// holds nothing Windows refuses in a path, and repairing it again changes nothing; the folder
// resolved from it has no "." or ".." left and resolves to itself. Both in Windows-1252 and in
// a double-byte code page laid out as 932, where the second byte of a character may be "\" or
// "|" and belongs to its character.
#include <optional>
#include <string>

#include "base/ansi_text.h"
#include "base/code_page.h"
#include "base/windows_path.h"
#include "fuzz/fuzz_input.h"
#include "base/target_path.h"
#include "support/fake_code_pages.h"

using namespace tunovar;
using tunovar::fuzz::Require;

namespace {

// The position of the first character of path (read in the code page in effect) that is one of
// chars; npos if none.
std::size_t FindCharOf(std::string_view path, std::string_view chars, std::size_t from = 0) {
  const CodePage& cp = ActiveCodePage();
  for (std::size_t i = 0; i < path.size(); i += cp.CharLength(path, i)) {
    if (i >= from && cp.CharLength(path, i) == 1 && chars.find(path[i]) != std::string_view::npos) return i;
  }
  return std::string_view::npos;
}

void CheckRepair(std::string_view text) {
  const std::string path = SanitizeTargetPath(text);
  // A text without a drive ("", "::x", "\x") does not come out as a folder on a drive
  // either ("\T\UNOVAR\"), and the drive check refuses it later: the shape counts on drives.
  const bool onDrive = path.size() >= 2 && path[1] == ':';
  Require(!onDrive || EndsWithNoCase(path, "TUNOVAR\\"), "a folder on a drive ends in TUNOVAR\\");
  Require(!onDrive || (path.size() >= 3 && path[2] == '\\'), "a drive is followed by \\");
  Require(FindNoCase(path, "\\\\") == std::string::npos, "no empty component");
  Require(FindCharOf(path, "<>|?*\"/ ") == std::string::npos, "no character a path cannot hold, no blank");
  Require(FindCharOf(path, ":", 2) == std::string::npos, "a colon only after the drive letter");
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckRepair(text);
  {
    const ScopedCodePage japanese(FakeCodePage932());
    CheckRepair(text);
  }
  return 0;
}
