// Temporary drive folders for tests of the POSIX back-end.
#include "support/temp_drives.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "platform/posix/host_files.h"

namespace tunovar::testing {
namespace {

int RemoveEntry(const char* path, const struct stat* st, int type, FTW* walk) {
  (void)st;
  (void)walk;
  if (type == FTW_DP) {
    rmdir(path);
  } else {
    unlink(path);
  }
  return 0;
}

// Folders that lost their write or search bits in a test are opened up before the removal.
int OpenUp(const char* path, const struct stat* st, int type, FTW* walk) {
  (void)walk;
  if (type == FTW_D || type == FTW_DNR) chmod(path, (st->st_mode & 07777) | S_IRWXU);
  return 0;
}

void Collect(const std::string& root, const std::string& relative, std::vector<std::string>& out) {
  DIR* dir = opendir((root + "/" + relative).c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = relative.empty() ? name : relative + "/" + name;
    struct stat st {};
    if (lstat((root + "/" + path).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      out.push_back(path + "/");
      Collect(root, path, out);
    } else {
      out.push_back(path);
    }
  }
  closedir(dir);
}

}  // namespace

TempDrives::TempDrives(std::string_view letters) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") + "/tunovar-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
  base_ = pattern;
  std::string mapping;
  for (char letter : letters) {
    MakeFolders(Root(letter));
    if (!mapping.empty()) mapping += ';';
    mapping += std::string(1, letter) + "=" + Root(letter);
  }
  MakeFolders(DataHome());
  MakeFolders(ConfigHome());
  MakeFolders(RuntimeDir());
  chmod(RuntimeDir().c_str(), 0700);
  SetEnv("TUNOVAR_DRIVES", mapping);
  SetEnv("XDG_DATA_HOME", DataHome());
  SetEnv("XDG_CONFIG_HOME", ConfigHome());
  SetEnv("XDG_RUNTIME_DIR", RuntimeDir());
}

TempDrives::~TempDrives() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
  nftw(base_.c_str(), OpenUp, 16, FTW_PHYS);
  nftw(base_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string TempDrives::Root(char letter) const {
  const char lower = (letter >= 'A' && letter <= 'Z') ? static_cast<char>(letter + 32) : letter;
  return base_ + "/drive_" + std::string(1, lower);
}

std::string TempDrives::Host(char letter, std::string_view relative) const {
  return Root(letter) + "/" + std::string(relative);
}

void TempDrives::SetEnv(const std::string& name, const std::optional<std::string>& value) {
  if (saved_.count(name) == 0) {
    const char* old = std::getenv(name.c_str());
    saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
  }
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}

void TempDrives::WriteFile(const std::string& host, std::string_view bytes) {
  MakeFolders(host.substr(0, host.rfind('/')));
  const int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot write " + host);
  const bool written = posix::WriteAll(fd, bytes);
  close(fd);
  if (!written) throw std::runtime_error("cannot write all of " + host);
}

std::optional<std::string> TempDrives::ReadFile(const std::string& host) { return posix::ReadHostFile(host); }

bool TempDrives::Exists(const std::string& host) {
  struct stat st {};
  return lstat(host.c_str(), &st) == 0;
}

void TempDrives::MakeFolders(const std::string& host) {
  for (std::size_t at = 1; at <= host.size(); ++at) {
    if (at == host.size() || host[at] == '/') mkdir(host.substr(0, at).c_str(), 0755);
  }
}

std::vector<std::string> TempDrives::Tree(const std::string& host) {
  std::vector<std::string> out;
  Collect(host, "", out);
  std::sort(out.begin(), out.end());
  return out;
}

void TempDrives::SetTime(const std::string& host, long long seconds) {
  const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
  utimensat(AT_FDCWD, host.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

void TempDrives::SetMode(const std::string& host, unsigned mode) { chmod(host.c_str(), static_cast<mode_t>(mode)); }

unsigned TempDrives::ModeOf(const std::string& host) {
  struct stat st {};
  if (stat(host.c_str(), &st) != 0) return 0;
  return st.st_mode & 07777;
}

long long TempDrives::TimeOf(const std::string& host) {
  struct stat st {};
  if (stat(host.c_str(), &st) != 0) return -1;
  return static_cast<long long>(st.st_mtim.tv_sec);
}

}  // namespace tunovar::testing
