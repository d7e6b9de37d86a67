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

// Line 1 with its CR LF: the language as the runtime prints a number, a blank where a minus
// sign would stand and one after it (" 2 ").
[[nodiscard]] std::string RemovalListLanguageLine(std::int32_t langIndex);

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

// One entry after the language line; it views the line it was read from.
struct RemovalEntry {
  std::string_view line;  // as written, for the log
  bool folder;            // a "#" line
  std::string_view path;  // the line without its "#"
};

// The entry of one line; nullopt for a line that names nothing (blank, or "#" and blanks).
[[nodiscard]] std::optional<RemovalEntry> ParseRemovalEntry(std::string_view line);

// The entries of a removal list, kept as their lines in one block of bytes (a list of
// 50,000 entries would otherwise take a string object or two for each).
class RemovalEntries {
 public:
  class const_iterator {
   public:
    const_iterator(const StringList::const_iterator at) : at_(at) {}
    RemovalEntry operator*() const { return *ParseRemovalEntry(*at_); }
    const_iterator& operator++() {
      ++at_;
      return *this;
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.at_ == b.at_; }

   private:
    StringList::const_iterator at_;
  };

  // A line that names something (ParseRemovalEntry gives an entry for it).
  void push_back(std::string_view line) { lines_.push_back(line); }
  [[nodiscard]] std::size_t size() const { return lines_.size(); }
  [[nodiscard]] bool empty() const { return lines_.empty(); }
  [[nodiscard]] RemovalEntry back() const { return *ParseRemovalEntry(lines_.back()); }
  [[nodiscard]] const_iterator begin() const { return lines_.begin(); }
  [[nodiscard]] const_iterator end() const { return lines_.end(); }

 private:
  StringList lines_;
};

struct RemovalList {
  // 1 when the list could not be read to its end or is longer than the limit: corrupted.
  std::int32_t code = 0;
  std::optional<std::int32_t> language;  // line 1, when it holds a whole number
  RemovalEntries entries;                // lines 2 on, in order, those that name something
};

[[nodiscard]] RemovalList ParseRemovalList(LineSource& lines,
                                           std::size_t maxBytes = kRemovalListMaxBytes);

}  // namespace tunovar
