// The argument string: what is left after the switches holds none, and switches written
// out as a command line read back as the same switches.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "fuzz/fuzz_input.h"
#include "installer/command_line.h"

using namespace tunovar;
using tunovar::fuzz::FuzzInput;
using tunovar::fuzz::Require;

namespace {

void CheckAnyBytes(std::string_view arguments) {
  const Switches parsed = ParseSwitches(arguments);
  Require(!parsed.language || *parsed.language >= 0, "a language is never negative");
  // A quoted word keeps its blanks and may hold a "/": only a line without quotes gives a rest
  // that reads back as itself.
  if (arguments.find('"') != std::string_view::npos) return;
  Require(Trim(parsed.rest, kBlanksAndTabs) == parsed.rest, "the rest is trimmed");
  const Switches again = ParseSwitches(parsed.rest);
  Require(again.rest == parsed.rest, "the rest reads back as itself");
  Require(!again.silent && !again.noCddb && !again.language && !again.logFile && !again.targetPath,
          "the rest holds no switch");
}

// A switch's value as a word: no blank, tab or double quote.
std::string WordOf(FuzzInput& input) {
  std::string text = input.Piece(' ', 12);
  std::erase_if(text, [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\0'; });
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  CheckAnyBytes(input.Rest());

  // Switches in any order and letter case; the path last, blanks inside it.
  const int flags = input.Byte();
  std::vector<std::string> words;
  if ((flags & 1) != 0) words.push_back((flags & 2) != 0 ? "/s" : "/S");
  if ((flags & 4) != 0) words.push_back("/NoCddb");
  const int language = input.Byte();
  if ((flags & 8) != 0) words.push_back("/LANG=" + DecimalText(language));
  std::string log = WordOf(input);
  if ((flags & 16) != 0 && !log.empty()) words.push_back("/log=" + log);
  if ((flags & 32) != 0) words.insert(words.begin() + input.Below(static_cast<int>(words.size()) + 1), "d");
  std::string line;
  for (const std::string& w : words) line += (input.Below(2) == 1 ? "\t" : " ") + w;
  std::string path = input.Piece('\0', 80);
  // A folder: not blank, no "?", which is what a character outside the code page becomes, and
  // no word that is one of the program's switches ("/" written as "\\").
  std::erase_if(path, [](char c) { return c == '"' || c == '?'; });
  std::replace(path.begin(), path.end(), '/', '\\');
  path = TrimRight(path, kBlanksAndTabs);
  if (Trim(path, kBlanksAndTabs).empty()) path = "C:\\Apps";
  const bool withPath = (flags & 64) != 0;
  if (withPath) line += " /D=" + path;

  const Switches parsed = ParseSwitches(line);
  Require(parsed.usageError.empty(), "written switches are good");
  Require(parsed.silent == ((flags & 1) != 0) && parsed.noCddb == ((flags & 4) != 0), "/S and /NOCDDB read back");
  Require(parsed.language == ((flags & 8) != 0 ? std::optional<int>(language) : std::nullopt), "/LANG= reads back");
  Require(parsed.logFile == ((flags & 16) != 0 && !log.empty() ? std::optional<std::string>(log) : std::nullopt),
          "/LOG= reads back");
  Require(parsed.rest == ((flags & 32) != 0 ? "d" : ""), "the uninstall word stays");
  Require(parsed.targetPath == (withPath ? std::optional<std::string>(path) : std::nullopt), "/D= reads back whole");
  return 0;
}
