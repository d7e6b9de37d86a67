// Small text files of the host.
#include "platform/posix/host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/unique_fd.h"
#include "platform/posix/xdg_dirs.h"

namespace tunovar::posix {

bool WriteHostFile(const std::string& path, const std::string& bytes) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (path.empty() || !MakeHostFolders(folder)) return false;
  std::string temp = path + ".XXXXXX";
  UniqueFd fd(mkostemp(temp.data(), O_CLOEXEC));
  if (!fd) return false;
  bool ok = fchmod(fd.get(), 0644) == 0 && WriteAll(fd.get(), bytes);
  ok = fd.Close() && ok;
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

std::optional<std::string> ReadHostFile(const std::string& path) {
  const UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return std::nullopt;
  std::string bytes;
  char buffer[8192];
  for (;;) {
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) return std::nullopt;
      return bytes;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

bool RemoveHostFile(const std::string& path) { return unlink(path.c_str()) == 0 || errno == ENOENT; }

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace tunovar::posix
