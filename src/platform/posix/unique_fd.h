// The owners of a file descriptor and of an open folder for the POSIX back-end, the twins of
// the Win32 handle owners in win32/win32.h.
//
// Only code for the Linux host belongs in this folder: the system calls behind the platform
// interfaces, and what they need of the host (drive folders, XDG folders, detached processes).
// Rules that need no system call live in base/, and portable code over the platform interfaces
// beside them in platform/ (the batch interpreter), so that both are tested on any host.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include "base/unique_resource.h"

namespace tunovar::posix {

struct FdTraits {
  using Handle = int;
  static int None() { return -1; }
  static void Release(int fd) { ::close(fd); }
};

class UniqueFd : public UniqueResource<FdTraits> {
 public:
  using UniqueResource::UniqueResource;
  // Closes now; false when the system reported an error on closing (a write that failed
  // late, on a network file system say). Closed either way.
  [[nodiscard]] bool Close() { return !valid() || ::close(release()) == 0; }
};

struct DirTraits {
  using Handle = DIR*;
  static DIR* None() { return nullptr; }
  static void Release(DIR* dir) { ::closedir(dir); }
};
using UniqueDir = UniqueResource<DirTraits>;

}  // namespace tunovar::posix
