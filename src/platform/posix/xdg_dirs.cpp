// The user's folders on the host.
#include "platform/posix/xdg_dirs.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace tunovar::posix {
namespace {

// An environment variable that holds an absolute path, or "".
std::string AbsoluteFromEnv(const char* name) {
  const char* v = std::getenv(name);
  if (v == nullptr || v[0] != '/') return "";
  std::string s(v);
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string HomeFolder() {
  std::string home = AbsoluteFromEnv("HOME");
  if (!home.empty()) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry {};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "/";
}

std::string DataHome() {
  std::string d = AbsoluteFromEnv("XDG_DATA_HOME");
  if (!d.empty()) return d;
  std::string home = HomeFolder();
  return (home == "/" ? "" : home) + "/.local/share";
}

std::string ConfigHome() {
  std::string d = AbsoluteFromEnv("XDG_CONFIG_HOME");
  if (!d.empty()) return d;
  std::string home = HomeFolder();
  return (home == "/" ? "" : home) + "/.config";
}

std::string RuntimeFolder() {
  std::string d = AbsoluteFromEnv("XDG_RUNTIME_DIR");
  if (!d.empty() && IsFolder(d)) return d;
  d = AbsoluteFromEnv("TMPDIR");
  if (!d.empty() && IsFolder(d)) return d;
  return "/tmp";
}

std::string SetupDataFolder() { return DataHome() + "/tunovar-setup"; }

bool MakeHostFolders(const std::string& path) {
  if (path.empty()) return false;
  if (IsFolder(path)) return true;
  std::size_t at = 1;
  while (at <= path.size()) {
    const std::size_t slash = path.find('/', at);
    const std::string prefix = path.substr(0, slash);
    if (!prefix.empty() && mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
    at = slash + 1;
  }
  return IsFolder(path);
}

}  // namespace tunovar::posix
