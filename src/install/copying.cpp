// Folder creation, file copying (newer-only rule, block copy of the large data file) and the
// fatal file report.
#include "install/copying.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/ansi_text.h"
#include "base/code_page.h"
#include "base/windows_path.h"
#include "installer/installer.h"

namespace tunovar {

// ---- Pure helpers --------------------------------------------------------------------------

std::int64_t DateNumber(const LocalDateTime& t) {
  return std::int64_t{t.year} * 10000 + std::int64_t{t.month} * 100 + t.day;
}

std::int64_t TimeNumber(const LocalDateTime& t) {
  return std::int64_t{t.hour} * 10000 + std::int64_t{t.minute} * 100 + t.second;
}

bool SourceIsNewer(const std::optional<LocalDateTime>& source,
                   const std::optional<LocalDateTime>& destination) {
  const std::int64_t sourceDate = source ? DateNumber(*source) : 0;
  const std::int64_t sourceTime = source ? TimeNumber(*source) : 0;
  // A destination whose time cannot be read is no file this rule can keep (a device, a file
  // that cannot be opened): it is replaced, or its copy fails and is said.
  if (!destination) return true;
  const std::int64_t destDate = DateNumber(*destination);
  const std::int64_t destTime = TimeNumber(*destination);
  if (sourceDate < destDate) return false;
  if (sourceDate == destDate && sourceTime <= destTime) return false;
  return true;
}

bool LeavesTargetFolder(std::string_view line) {
  if (line.empty()) return false;
  if (line.front() == '\\' || line.front() == '/') return true;
  if (line.find(':') != std::string_view::npos) return true;
  return HasDotsComponent(line) || HasDeviceComponent(line);
}

std::vector<std::string> DropEntriesOutsideTarget(StringList& sources, StringList& destinations,
                                                  const std::string& target) {
  std::vector<std::string> refused;
  const std::size_t count = std::min(sources.size(), destinations.size());
  std::vector<bool> keep(count, false);
  for (std::size_t k = 0; k < count; ++k) {
    const std::string_view dest = destinations[k];
    if (!StartsWithNoCase(dest, target)) {
      refused.emplace_back(dest);
      continue;
    }
    const std::string_view line = dest.substr(target.size());
    if (LeavesTargetFolder(line)) {
      refused.emplace_back(line);
      continue;
    }
    keep[k] = true;
  }
  sources.KeepOnly(keep);
  destinations.KeepOnly(keep);
  return refused;
}

BlockCopyPlan PlanBlockCopy(std::optional<std::int64_t> length, std::optional<std::int64_t> blockSize,
                            std::optional<std::uint64_t> sourceLength) {
  if (!blockSize) blockSize = 1024;
  if (!length && sourceLength) length = static_cast<std::int64_t>(*sourceLength);
  if (length.value_or(0) < *blockSize) blockSize = length.value_or(0);
  return BlockCopyPlan{length.value_or(0), *blockSize};
}

// ---- Copying on the platform -----------------------------------------------------------------

namespace {

enum class CopyFault { kNone, kSourceMissing, kReadError, kCannotCreate, kWriteError, kShortSource, kCommitFailed };

const char* Describe(CopyFault fault) {
  switch (fault) {
    case CopyFault::kNone: return "done";
    case CopyFault::kSourceMissing: return "the source is missing";
    case CopyFault::kReadError: return "the source cannot be read";
    case CopyFault::kCannotCreate: return "the destination cannot be created";
    case CopyFault::kWriteError: return "the destination cannot be written";
    case CopyFault::kShortSource: return "the source ended early";
    case CopyFault::kCommitFailed: return "the destination cannot be replaced";
  }
  return "failed";
}

// why: the file system's answer, when the failed step gave one.
void NoteFailure(Installer& installer, const std::string& dest, CopyFault fault,
                 std::optional<FsStatus> why = std::nullopt) {
  installer.Log("Failed " + dest + ": " + Describe(fault) + (why ? std::string(" (") + Describe(*why) + ")" : ""));
  installer.report.FailedFiles.push_back(dest);
}

// Copies exactly `size` bytes from reader to out.
CopyFault CopyPiece(ByteReader& reader, ReplacementFile& out, std::uint64_t size) {
  const ReplacementFile::Copied copied = out.CopyFrom(reader, size);
  if (copied.readFailed) return CopyFault::kReadError;
  if (copied.writeFailed) return CopyFault::kWriteError;
  return copied.bytes == size ? CopyFault::kNone : CopyFault::kShortSource;
}

// How a copy ended: its fault, the file system's answer when the failed step gave one, and
// the bytes copied.
struct CopyResult {
  CopyFault fault = CopyFault::kNone;
  std::optional<FsStatus> why;
  std::uint64_t copied = 0;
};

// Copies a whole file, to its end, into a replacement of dest and puts it in place with the
// source's time and permissions. Nothing of dest changes unless every byte was copied; then
// both files are `copied` bytes long. The platform streams the bytes; nothing holds a file whole.
CopyResult CopyWholeFile(FileSystem& fs, const std::string& source, const std::string& dest) {
  // The caller found the source as an ordinary file: one that cannot be opened is unreadable.
  auto reader = fs.OpenForReading(source);
  if (!reader) return {CopyFault::kReadError, std::nullopt, 0};
  auto out = fs.CreateReplacement(dest);
  if (!out) return {CopyFault::kCannotCreate, std::nullopt, 0};
  const ReplacementFile::Copied all = out->CopyFrom(*reader, UINT64_MAX);
  if (all.readFailed) return {CopyFault::kReadError, std::nullopt, 0};
  if (all.writeFailed) return {CopyFault::kWriteError, std::nullopt, 0};
  if (const FsStatus status = out->Commit(source); status != FsStatus::kOk) {
    return {CopyFault::kCommitFailed, status, 0};
  }
  return {CopyFault::kNone, std::nullopt, all.bytes};
}

// Lets the window run its events and notes the longest time that passed without doing so.
void EventPoint(Installer& installer) {
  Clock& clock = installer.platform().clock;
  const std::uint32_t before = clock.TimeMs();
  if (installer.progress.LastEventPointMs) {
    installer.progress.LongestEventGapMs =
        std::max(installer.progress.LongestEventGapMs, before - *installer.progress.LastEventPointMs);
  }
  installer.DoEvents();
  // The journal's last entry (the large data file's, copied over many pauses) reaches the disk
  // while its file is copied.
  if (installer.placing.journal) installer.placing.journal->SyncIfDue();
  installer.progress.LastEventPointMs = clock.TimeMs();
}

}  // namespace

// ---- The procedures ----------------------------------------------------------------------------

void Installer::RequireFile(const std::string& path) {
  if (!platform_.fs.FileExists(path)) ShowFatalError(1, path);
}

void Installer::ShowFatalError(std::int32_t code, const std::string& info) {
  Log("Fatal file report (code " + DecimalText(code) + "): " + info);
  (void)Message("Error", "File \"" + info + "\" is corrupted", MessageButtons::kOk,
                MessageAnswer::kOk);
  EndProgram(kExitFatalFile);
}

bool Installer::FolderExists(const std::string& path) { return platform_.fs.EntryExists(path); }

void Installer::CreateFolderPath(const std::string& folder) {
  std::string path = WithoutTrailingBackslash(folder);
  if (platform_.fs.EntryExists(path)) return;
  path += '\\';
  // From the first place a backslash can follow a drive letter and its colon.
  std::size_t p = 2;
  while (p < path.size()) {
    const std::size_t at = ActiveCodePage().FindChar(path, '\\', p);
    if (at == std::string::npos) break;
    const std::string prefix = path.substr(0, at + 1);
    if (!FolderExists(prefix)) {
      const FsStatus status = platform_.fs.CreateFolder(prefix);
      if (status == FsStatus::kOk) {
        Log("Created folder " + prefix);
      } else {
        Log("Could not create folder " + prefix + ": " + Describe(status));
      }
    }
    p = at + 1;
  }
}

void Installer::CreateListedFolders(const StringList& folderList, StringList* record) {
  // Each folder is in the removal journal before it is made; the journal itself opens with the
  // runtime folder, naming the folders made before it.
  StringList made;
  for (const std::string_view folder : folderList) {
    NotePlacing(folder, true);
    CreateFolderPath(std::string(folder));
    made.push_back(folder);
    if (!placing.journalTried) OpenRemovalJournal(made);
    if (record != nullptr) record->push_back(folder);
  }
}

void Installer::CopyListedFiles(const StringList& sources, const StringList& destinations,
                                StringList* record) {
  const std::size_t count = std::min(sources.size(), destinations.size());
  // The record grows by the destinations: room for them at once.
  if (record != nullptr) record->Reserve(record->size() + count, record->Bytes() + destinations.Bytes());
  std::string source;
  std::string dest;
  for (std::size_t k = 0; k < count; ++k) {
    EventPoint(*this);
    platform_.clock.SleepMs(0);
    source.assign(sources[k]);
    dest.assign(destinations[k]);
    // Named in the removal journal before anything of it is placed.
    NotePlacing(dest, false);
    const bool large = ContainsNoCase(source, kLargeFileMarker);
    if (large) {
      CopyFileInBlocks(source, dest, kLargeFileLength, kLargeFileBlockSize);
    } else {
      (void)XFileCopy(source, dest);
    }
    if (record != nullptr) record->push_back(dest);
    // The destination as it now is: a newer file that was kept counts with its own length.
    const auto length = platform_.fs.FileLength(dest);
    if (length) report.InstalledBytes += *length;
    // A block copy has moved the bar with each block.
    if (!large && length) ShowProgress(progress.PercentPerByte * static_cast<float>(*length), false);
  }
}

bool Installer::XFileCopy(const std::string& quelle, const std::string& ziel) {
  FileSystem& fs = platform_.fs;
  if (!fs.FileExists(quelle)) {
    NoteFailure(*this, ziel, CopyFault::kSourceMissing);
    return false;
  }
  if (fs.FileExists(ziel)) {
    if (!SourceIsNewer(fs.LastWriteTime(quelle), fs.LastWriteTime(ziel))) {
      Log("Kept " + ziel + ": not older than its source");
      return false;
    }
    // A read-only destination can be replaced.
    (void)fs.ClearAttributes(ziel);
  }
  const CopyResult result = CopyWholeFile(fs, quelle, ziel);
  if (result.fault != CopyFault::kNone) {
    NoteFailure(*this, ziel, result.fault, result.why);
    return false;
  }
  const std::uint64_t copied = result.copied;
  Log("Placed " + ziel + " (" + DecimalText(static_cast<std::int64_t>(copied)) + " bytes)");
  // Source and destination are now both `copied` bytes long. An empty file copied as an empty
  // file is placed, but, as always, does not count as true.
  return copied != 0;
}

void Installer::CopyFileInBlocks(const std::string& source, const std::string& dest,
                                 std::optional<std::int64_t> length,
                                 std::optional<std::int64_t> blockSize) {
  FileSystem& fs = platform_.fs;
  const auto sourceLength = fs.FileLength(source);
  const BlockCopyPlan plan = PlanBlockCopy(length, blockSize, sourceLength);
  // A negative length or block size copies nothing and divides nothing.
  const std::int64_t total = std::max<std::int64_t>(plan.length, 0);
  const std::int64_t block = std::max<std::int64_t>(plan.blockSize, 0);
  const std::int64_t fullBlocks = block != 0 ? total / block : 0;
  const std::int64_t tail = total - fullBlocks * block;

  auto reader = fs.OpenForReading(source);
  if (!sourceLength || !reader) {
    // A source that is there but cannot be opened is unreadable, not missing.
    NoteFailure(*this, dest, sourceLength ? CopyFault::kReadError : CopyFault::kSourceMissing);
    return;
  }
  auto out = fs.CreateReplacement(dest);
  if (!out) {
    NoteFailure(*this, dest, CopyFault::kCannotCreate);
    return;
  }
  // Never past the source's end: a shorter source gives exactly its own bytes.
  const std::uint64_t wanted = std::min(static_cast<std::uint64_t>(total), *sourceLength);
  std::uint64_t written = 0;
  CopyFault fault = CopyFault::kNone;

  for (std::int64_t b = 0; b < fullBlocks && written < wanted; ++b) {
    EventPoint(*this);
    platform_.clock.SleepMs(0);
    const std::uint64_t piece = std::min(static_cast<std::uint64_t>(block), wanted - written);
    fault = CopyPiece(*reader, *out, piece);
    if (fault != CopyFault::kNone) break;
    written += piece;
    ShowProgress(progress.PercentPerByte * static_cast<float>(piece), false);
  }
  if (fault == CopyFault::kNone && tail != 0 && written < wanted) {
    platform_.clock.SleepMs(5);
    EventPoint(*this);
    const std::uint64_t piece = std::min(static_cast<std::uint64_t>(tail), wanted - written);
    fault = CopyPiece(*reader, *out, piece);
    if (fault == CopyFault::kNone) {
      written += piece;
      ShowProgress(progress.PercentPerByte * static_cast<float>(piece), false);
    }
  }
  std::optional<FsStatus> why;
  if (fault == CopyFault::kNone) {
    if (const FsStatus status = out->Commit(source); status != FsStatus::kOk) {
      fault = CopyFault::kCommitFailed;
      why = status;
    }
  }
  if (fault != CopyFault::kNone) {
    NoteFailure(*this, dest, fault, why);
    return;
  }
  Log("Placed " + dest + " (" + DecimalText(static_cast<std::int64_t>(written)) +
      " bytes in blocks)");
}

}  // namespace tunovar
