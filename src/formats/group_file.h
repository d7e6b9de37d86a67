// The group file "group": its line map and the pure reader.
//
// Beside the program, ANSI, CR LF:
//   2                        the number N of items per language
//   TUNOVAR                  base name of the group's file in the Windows folder (".GRP" added)
//   Ovri TUNOVAR             the group's title
//   ### Deutsch              optional marker line: passed over where an item name is expected
//   Player                   item 0 of language 0: its name,
//   TUNOVAR\tunOVAR.exe      then its command, relative to the install folder, or
//   Intro                    item 1 of language 0
//   ##ONCD: TUNOVAR\i.exe    "##ONCD:" and a path relative to the CD root
//   ...                      N items for each language section of "insttext", in its order
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/text_lines.h"

namespace tunovar {

struct GroupItem {
  std::string ItemName;
  std::string ItemCommand;
};

// The program group: what the group file gives it, and the command being sent for it.
struct ProgramGroup {
  std::int32_t GroupItemCount = 0;
  std::string GroupFileName;
  std::string GroupName;
  std::vector<std::vector<GroupItem>> GroupItems;  // [item][language]
  std::string DDECommand;                          // the command PerformDDE sends
  // Program Manager refused a conversation or left one unanswered: no further command is
  // sent to it in this run, and the group is made as shell links (install/link_group.h).
  bool ProgramManagerSilent = false;
};

struct GroupFileRead {
  // 0: read; 1: an announced item is missing or the file could not be read to its end.
  std::int32_t result = 0;
  ProgramGroup group;
};

// The group file's lines read over the group as it was: what cannot be read keeps its
// previous value. The table gets rows 0 to GroupItemCount and columns 0 to languageCount,
// unless the count is more than the file has lines (the reading then fails on the table as it
// was) or languageCount lies outside 0..21.
[[nodiscard]] GroupFileRead ParseGroupFile(LineSource& lines, std::int32_t languageCount,
                                           ProgramGroup previous);

}  // namespace tunovar
