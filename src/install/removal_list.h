// The removal list "defile": its line map, the writer the installation uses and the reader the
// uninstallation uses. It is the contract between the two.
//
// In <target>TUNOVAR\runtime\, ANSI, every line ends in CR LF:
//   " 2 "                             the language section, a blank on each side
//   <target>TUNOVAR\tunodoc.gid       always
//   <target>TUNOVAR\burn.lst          always
//   <entry n> ... <entry 1>           placed folders and files, last placed first, without
//                                     any "runtime\deinst.pif" (the batch deletes it itself)
//   #<folder m> ... #<folder 1>       the listed folders again, last first
// A line starting with "#" names a folder to remove; any other line a file to delete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_list.h"
#include "base/text_lines.h"

namespace tunovar {

// The path names one of the two files the batch needs in the runtime folder, name being
// "deinst.pif" or "deinst.bat": it holds "runtime\" and name, letter case ignored, with "/"
// read as "\" and repeated separators as one, however the list line spelled them.
[[nodiscard]] bool NamesBatchFile(std::string_view path, std::string_view name);

// ---- Writing ---------------------------------------------------------------------------------

// The first part: the language line, the two fixed files and the entries.
[[nodiscard]] std::string RemovalListText(std::int32_t langIndex, const StringList& entries,
                                          const std::string& destPrefix);
// The same text handed to write in pieces of some ten thousand bytes, in order, so that a list
// of many thousand entries is never held as one text. Stops at the first piece that write
// refuses (false) and says so.
[[nodiscard]] bool WriteRemovalListText(std::int32_t langIndex, const StringList& entries,
                                        const std::string& destPrefix,
                                        const std::function<bool(std::string_view)>& write);

// The "#" lines appended after it.
[[nodiscard]] std::string FolderEntriesText(const StringList& folders);

// ---- Reading ---------------------------------------------------------------------------------

// A removal list of more text than this (each line counted with its CR LF) is no list the
// installation wrote: a product of ten thousand files with paths of a hundred characters
// makes about 1 MiB. Such a list is refused as corrupted before anything is removed.
inline constexpr std::size_t kRemovalListMaxBytes = std::size_t{4} << 20;

// One entry after the language line.
struct RemovalEntry {
  std::string line;  // as written, for the log
  bool folder;       // a "#" line
  std::string path;  // the line without its "#"
};

// The entry of one line; nullopt for a line that names nothing (blank, or "#" and blanks).
[[nodiscard]] std::optional<RemovalEntry> ParseRemovalEntry(const std::string& line);

struct RemovalList {
  // 1 when the list could not be read to its end or is longer than the limit: corrupted.
  std::int32_t code = 0;
  std::optional<std::int32_t> language;  // line 1, when it holds a whole number
  std::vector<RemovalEntry> entries;     // lines 2 on, in order, those that name something
};

[[nodiscard]] RemovalList ParseRemovalList(LineSource& lines,
                                           std::size_t maxBytes = kRemovalListMaxBytes);

}  // namespace tunovar
