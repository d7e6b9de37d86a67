// The removal journal "defile.jnl": the removal list of an installation while it places its
// folders and files, so that a run that ends before "defile" is written (Cancel, an
// interrupt, a kill, a crash, a power cut) still leaves on disk a list of all it placed. Its
// line map, the writer the installation keeps open, and the reader that turns it into the
// lines of "defile" (formats/removal_list.h) for the uninstallation.
//
// In <target>TUNOVAR\runtime\, beside "defile", ANSI, every line ends in CR LF:
//   " 2 "                        the language section, as line 1 of "defile"
//   C:\Apps\TUNOVAR\             the target folder, which "defile" puts before its two fixed files
//   +<entry> ...                 the entries of the removal list found in the folder when the
//                                journal began (an earlier installation's "defile", or the
//                                journal of an earlier run that did not complete), carried over
//   #<folder 1> ... #<folder m>  the listed folders, in list order, each before it is made
//   <file 1> ... <file n>        the files, in placing order, each before it is placed
// Made as soon as the runtime folder exists, with everything up to the folders made before it,
// in one piece that replaces an older journal whole; then only appended to, and deleted once
// "defile" is written whole. A last line without its CR LF was cut off when the run ended,
// before its entry was placed: it names nothing. The journal is put on the disk itself when it
// is made and then at most a second after each entry, not once a file: a power cut loses at
// most the entries of its last second.
//
// Read where "defile" is missing, it gives the lines "defile" would hold for what it names:
// the language, the two fixed files, every entry from the last placed to the first (folders
// among them; never a "runtime\deinst.pif"), then the "#" folders from the last to the first;
// the carried entries that these do not name already follow the entries, and the carried "#"
// lines the "#" lines. Where both files are there the run ended between beginning to write
// "defile" and deleting the journal: the entries of "defile" are carried too, so that a
// "defile" cut short hides nothing the journal names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/string_list.h"
#include "formats/removal_list.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace tunovar {

inline constexpr std::string_view kRemovalJournalName = "defile.jnl";

// A journal longer than this is no journal an installation wrote: it holds at most two removal
// lists (the carried one and its own).
inline constexpr std::size_t kRemovalJournalMaxBytes = 2 * kRemovalListMaxBytes;

// The journal up to its folders: the header, the carried entries (lines of "defile" after its
// first), the folders made.
[[nodiscard]] std::string RemovalJournalStart(std::int32_t langIndex, const std::string& target,
                                              const StringList& carried, const StringList& folders);

// The text of "defile" for a journal's bytes. code 1: a header that no installation wrote (a
// language that is no number, a target without its final "\"). No text where the header is
// not there whole: the run ended before anything was placed after it.
struct JournalAsList {
  std::int32_t code = 0;
  std::optional<std::string> text;
};
// besideIt: the entry lines of a "defile" beside the journal, taken as carried entries too.
[[nodiscard]] JournalAsList RemovalListOfJournal(std::string_view journal, const StringList& besideIt = {});

// The removal list on record in a runtime folder whose journal lies at journalPath, as the
// uninstaller reads it where there is a journal: the journal's list, with the entries of a
// "defile" at listPath that it does not name. A run ended while it wrote "defile" leaves both,
// and the cut "defile" must not hide what the journal names; where the run ended after
// writing it, the two name the same. No text where there is no journal; code 1 also for a
// journal that cannot be read to its end or is longer than any an installation writes.
[[nodiscard]] JournalAsList ReadRemovalJournal(FileSystem& fs, const std::string& journalPath,
                                               const std::string& listPath);

// The entry lines (after the language line) of a removal list's text, or of the file at path;
// none where it cannot be read whole.
[[nodiscard]] StringList RemovalListEntryLines(std::string_view listText);
[[nodiscard]] StringList RemovalListEntryLines(FileSystem& fs, const std::string& path);

// The journal of a run, open from its creation to the end of the run.
class RemovalJournal {
 public:
  // The longest time an appended entry waits to be put on the disk.
  static constexpr std::uint32_t kSyncIntervalMs = 1000;

  // Makes the journal at path from start (RemovalJournalStart), replacing an older one whole,
  // and puts it on the disk; nullptr when it cannot be made.
  [[nodiscard]] static std::unique_ptr<RemovalJournal> Begin(FileSystem& fs, Clock& clock, const std::string& path,
                                                             const std::string& start);

  // Appends an entry before it is placed; false once the journal could not be written (every
  // later entry is then left out: a cut line would run into the next).
  bool Note(std::string_view path, bool folder);
  // Puts the journal on the disk when an entry has waited for it for kSyncIntervalMs: called
  // with each entry and at the copying's pauses, so that a long copy does not keep it waiting.
  void SyncIfDue();
  [[nodiscard]] bool Failed() const { return failed_; }
  // The system could not put the journal on the disk once (it still holds every entry).
  [[nodiscard]] bool SyncFailed() const { return syncFailed_; }
  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  RemovalJournal(std::unique_ptr<TextFileWriter> writer, Clock& clock, std::string path);

  std::unique_ptr<TextFileWriter> writer_;
  Clock& clock_;
  std::string path_;
  std::uint32_t lastSyncMs_;
  bool unsynced_ = false;  // an entry was written since the journal was last put on the disk
  bool failed_ = false;
  bool syncFailed_ = false;
  std::string line_;  // kept, so that no entry costs an allocation
};

}  // namespace tunovar
