// The list files "filedir", "filelist" and "dbfiles": their line map and the pure reader.
//
// Beside the program, ANSI, one path a line (CR LF), relative to the CD root and, the same
// line, to the target folder:
//   TUNOVAR\                      a folder ("filedir")
//   TUNOVAR\runtime\deinstal.exe  a file ("filelist", "dbfiles")
//   TUNOVAR\pdata\1_texte.txt     a language-tagged file, installed as TUNOVAR\pdata\texte.txt
//   TUNOVAR\pdata\0_texte.txt     another language's file: not installed
// A name ending in <tag>_texte.txt or <tag>_tunodoc.hlp (tag = decimal language index) belongs
// to that language and is installed as "texte.txt" / "tunoDoc.hlp"; every other line is
// language-neutral. A source path containing "pdata" is the large data file, copied in blocks.
#pragma once

#include <cstdint>
#include <string>

#include "base/string_list.h"
#include "base/text_lines.h"

namespace tunovar {

struct ListFileRead {
  std::int32_t code = 0;  // 1: the file could not be read to its end (corrupted)
  // Source and destination lists: item k of one belongs to item k of the other.
  StringList sources;       // cdRoot & line
  StringList destinations;  // destPrefix & line, language-tagged names renamed
};

// The pairs of a list file's lines for the language langIndex. On a read error, and for a
// file that is no ANSI text (a NUL byte in a line, a UTF-16 byte order mark), the code is 1 and
// no pair is given: a list cut short would install part of the product as if whole.
[[nodiscard]] ListFileRead ParseListFile(LineSource& lines, const std::string& cdRoot,
                                         const std::string& destPrefix, std::int32_t langIndex);

}  // namespace tunovar
