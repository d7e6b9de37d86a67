// Pure helpers of the copying: the newer-only rule, list lines (formats/list_file.h) that
// would leave the target folder, and the figures of the large data file, whose source path
// contains "pdata".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_list.h"
#include "platform/file_system.h"

namespace tunovar {

// The large data file: always this many bytes (or the source's length, when that is less),
// in blocks of this size.
inline constexpr std::int64_t kLargeFileLength = 54074153;
inline constexpr std::int64_t kLargeFileBlockSize = 524288;
// The marker of the large data file in a source path.
inline constexpr std::string_view kLargeFileMarker = "pdata";

// The figures a block copy goes by: a missing block size is 1024, a missing length the
// source's; a length below the block size becomes the block size too.
struct BlockCopyPlan {
  std::int64_t length;
  std::int64_t blockSize;
};
[[nodiscard]] BlockCopyPlan PlanBlockCopy(std::optional<std::int64_t> length,
                                          std::optional<std::int64_t> blockSize,
                                          std::optional<std::uint64_t> sourceLength);

// A last-write time as the two whole numbers the newer-only rule compares: yyyymmdd, hhnnss.
[[nodiscard]] std::int64_t DateNumber(const LocalDateTime& t);
[[nodiscard]] std::int64_t TimeNumber(const LocalDateTime& t);

// True when the source is newer than the destination, to the second. An unreadable source
// time counts as 0 (date 0, time 0) and never replaces a destination with a time; a
// destination whose time cannot be read is always replaced.
[[nodiscard]] bool SourceIsNewer(const std::optional<LocalDateTime>& source,
                                 const std::optional<LocalDateTime>& destination);

// True when a list line, taken relative to the target folder, would name a place outside it:
// a leading "\" or "/" (a root or a network path), a colon (a drive letter), or a component
// of dots and blanks only (".." is the parent folder; Windows drops trailing dots and blanks
// of a name, so ".. " and "..." count too; "." and " " are refused as well, because the
// uninstaller acts on no entry holding such a component and the file would stay behind), or a
// component that names a device (CON, NUL, COM1, "con.txt"; see IsDeviceName).
// "/" separates components as "\" does on Windows.
[[nodiscard]] bool LeavesTargetFolder(std::string_view line);

// Takes out of the paired lists every entry whose destination does not lie below target, or
// whose line below target leaves it (see LeavesTargetFolder). Returns the refused lines (the
// destination less target, or the whole destination when it does not start with target), in
// list order. The two lists stay in step; a source without a destination is dropped with it.
[[nodiscard]] std::vector<std::string> DropEntriesOutsideTarget(StringList& sources, StringList& destinations,
                                                                const std::string& target);

}  // namespace tunovar
