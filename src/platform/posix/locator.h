// The POSIX file system's locator: where a Windows path on a mapped drive lies on the host.
//
// Lookups ignore letter case component by component, as on Windows; names are Windows-1252
// in the path and UTF-8 on the host. ".." stops at the drive's root. Each answer comes from the
// folder cache where it keeps what the path needs, else from a walk of the path, which the
// cache then keeps.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/folder_cache.h"
#include "platform/posix/host_location.h"

namespace tunovar::posix {

class Locator {
 public:
  Locator(DriveMap drives, FolderCache& cache) : drives_(std::move(drives)), cache_(cache) {}

  // The entry at a Windows path; nullptr for an invalid path or a drive that is not mapped
  // (status, when given, says which, or whether the entry was found). The answer stays valid
  // until the next call.
  const Location* Locate(std::string_view path, FsStatus* status = nullptr);
  // Makes a mapped drive's folder on first use (C: with its Windows folder); false for a
  // letter that is not mapped or a folder that cannot be made.
  bool EnsureDrive(char letter);
  // True when the folder above the entry (entry: the entry itself, following a link) lies
  // inside the drive folder once every symbolic link is resolved.
  bool InsideDrive(const Location& at, bool entry);
  [[nodiscard]] const DriveMap& Drives() const { return drives_; }

 private:
  // One walk of a path from its drive's root, or from the kept folder above its last name.
  struct Walk {
    Location at;
    std::string current;    // the host folder reached
    std::string candidate;  // current & the name looked at
    std::size_t first = 0;  // the first name looked at
    std::string folderKey;  // the Windows spelling of the folder above the last name
    FolderFd folderFd;      // of the kept folder above the last name
    bool keep = false;      // what the walk finds may be kept
    bool found = true;
    // What a folder found on the way depends on: each folder and the key of the next name.
    std::vector<std::string> steps;
    struct stat own {};  // of the last name, not following a link
  };
  // The same answer for a path written as a kept folder's key, "\" and one more name (the
  // common case: the core names the files of a few folders again and again): one look at
  // that name, and nothing parsed or allocated anew. nullptr for any other path.
  const Location* LocateInKeptFolder(std::string_view path, FsStatus* status);
  // The kept folder a path's last name is in, when the path is written as its key and a
  // plain name (ascii: that name is plain ASCII); nullptr otherwise.
  FolderCache::KeptFolder* KeptFolderOfPath(std::string_view path, bool* ascii);
  // Writes a kept folder's strings into an answer, only its last name when they are there.
  static void TakeFolderInto(Location& at, const FolderCache::KeptFolder& folder, std::string_view path);
  // Looks at the last name of a path in a kept folder; false when the answer must not be kept.
  bool LookInKeptFolder(Location& at, const FolderCache::KeptFolder& folder, std::string_view path, bool ascii);

  void StartWalk(Walk& walk);
  void StepInto(Walk& walk, std::size_t i);
  // Finds name (the UTF-8 of component i) in walk.current, in its on-disk spelling.
  bool FindName(Walk& walk, std::size_t i, std::string& name);
  bool LookAt(const Walk& walk, const std::string& name, struct stat* st) const;
  void FinishWalk(Walk& walk);
  // Keeps what the walk found unless changes were applied since changesBefore.
  const Location* KeepWalk(std::string_view path, Walk& walk, std::uint64_t changesBefore);
  // The Windows spelling of the folder above a path's last component ("C:\A\B").
  static std::string FolderKey(const WindowsPath& path);

  DriveMap drives_;
  FolderCache& cache_;
  std::set<char> readyDrives_;
  std::map<std::string, std::string> realRoots_;
  Location last_;  // the answer of the last Locate that was not kept
};

}  // namespace tunovar::posix
