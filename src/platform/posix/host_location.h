// Where a Windows path lies on the host: the locator's answer, which the file system's calls
// act on and the folder cache keeps.
#pragma once

#include <sys/stat.h>

#include <fcntl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/windows_path.h"
#include "platform/posix/unique_fd.h"

namespace tunovar::posix {

// A kept folder's own descriptor (O_PATH), shared by the kept folder and whatever acts in it
// (a replacement until it is committed), so that it stays open as long as a call needs it.
using FolderFd = std::shared_ptr<const UniqueFd>;

// How a call names the entry at a host path: by its last name in its folder's descriptor when
// there is one (inFolder), so that the system walks no path; else by the whole host path.
[[nodiscard]] inline const char* AtNameOf(const std::string& host, bool inFolder) {
  return inFolder ? host.c_str() + host.rfind('/') + 1 : host.c_str();
}

// A Windows path found on the host.
struct Location {
  std::string root;                    // the drive's host folder
  std::string host;                    // host path, on-disk spelling where it exists
  std::string parentHost;              // host folder above it ("" for a drive root)
  WindowsPath windows;                 // the parsed path
  std::vector<std::string> diskNames;  // on-disk names of the components found (UTF-8)
  bool found = false;                  // the whole path exists
  bool parentFound = false;            // the folder above it exists
  bool isLink = false;                 // the entry itself is a symbolic link
  bool throughLink = false;            // a folder on the way is a symbolic link
  struct stat st {};                   // of the entry, following a link
  // The kept folder above it, reached without a link; none for a folder that is not kept.
  FolderFd parentDir;
  // The stamp of the kept folder whose names and host path this answer holds (0: none), so
  // that the next answer in the same folder copies only its last name.
  std::uint64_t folderStamp = 0;

  // An existing file, named without a final "\".
  [[nodiscard]] bool IsFile() const { return found && !windows.trailingSeparator && S_ISREG(st.st_mode); }
  // How a call names the entry: its last name in the kept folder above it, so that the
  // system walks no path; else its host path. Only for a path with a last name.
  [[nodiscard]] int AtFd() const { return parentDir ? parentDir->get() : AT_FDCWD; }
  [[nodiscard]] const char* AtName() const { return AtNameOf(host, parentDir != nullptr); }
};

}  // namespace tunovar::posix
