// Work and programs started in a process of their own.
#include "platform/posix/detached_process.h"
#include "platform/posix/interrupt_signals.h"
#include "platform/posix/unique_fd.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace tunovar::posix {
namespace {

// Lets go of every descriptor inherited beyond the standard three but kept (-1: none):
// closing them by number is this function's job, as none of them is owned by anything of the
// detached work.
void CloseInheritedFiles(int kept) {
  // The numbers below the kept one, then those above it; from 3 on when none is kept.
  const bool keep = kept > 2;
  const auto from = static_cast<unsigned>(keep ? kept + 1 : 3);
  const bool below = !keep || kept == 3 || close_range(3, static_cast<unsigned>(kept) - 1, 0) == 0;
  if (below && close_range(from, ~0U, 0) == 0) return;
  std::vector<int> open;
  {
    const UniqueDir dir(opendir("/proc/self/fd"));
    if (!dir) {
      // Nothing tells which are open: every number below the limit is closed, the pipe whose
      // end RunDetached waits for among them, so that the wait ends.
      const long limit = sysconf(_SC_OPEN_MAX);
      for (long fd = 3; fd < (limit > 0 ? limit : 1024); ++fd) {
        if (fd != kept) close(static_cast<int>(fd));
      }
      return;
    }
    const int own = dirfd(dir.get());
    while (const dirent* entry = readdir(dir.get())) {
      const int fd = std::atoi(entry->d_name);
      if (fd > 2 && fd != own && fd != kept) open.push_back(fd);
    }
  }
  for (int fd : open) close(fd);
}

void StandardFilesToNull() {
  UniqueFd null(open("/dev/null", O_RDWR));
  if (!null) return;
  for (int fd = 0; fd <= 2; ++fd) dup2(null.get(), fd);
  // Opened as one of the three itself, it stays open as that one.
  if (null.get() <= 2) (void)null.release();
}

// Forks a child that starts a session of its own and runs inSession there, then reaps it.
// inSession returns the child's exit code.
bool InNewSession(const std::function<int()>& inSession) {
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    setsid();
    // Its own work ends as the system ends it, not at a pause of the installer's run.
    RestoreInterrupts();
    _exit(inSession());
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool RunDetached(const std::function<void()>& work, int keptOpen) {
  return InNewSession([&work, keptOpen]() -> int {
    // The grandchild lets go of every inherited file before RunDetached returns: the pipe's
    // writing end is among them, so its end of file tells that the lock and the held files
    // of the installer are no longer shared with it.
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return 1;
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    const pid_t grandchild = fork();
    if (grandchild != 0) {
      writeEnd.reset();
      char byte = 0;
      for (ssize_t n = 1; grandchild > 0 && n != 0;) {
        n = read(readEnd.get(), &byte, 1);
        if (n < 0 && errno != EINTR) break;
      }
      return grandchild < 0 ? 1 : 0;
    }
    CloseInheritedFiles(keptOpen);
    StandardFilesToNull();
    (void)chdir("/");
    try {
      work();
    } catch (...) {
      // The detached process has no log and its outputs go to /dev/null: its exit status is
      // the one report it can give of a failure.
      _exit(1);
    }
    _exit(0);
  });
}

bool SpawnDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& folder) {
  return InNewSession([&]() -> int {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd <= 2; ++fd) {
      posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    }
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? 0 : 1;
  });
}

std::optional<std::string> FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t at = 0;
  while (at <= folders.size()) {
    std::size_t colon = folders.find(':', at);
    if (colon == std::string::npos) colon = folders.size();
    const std::string folder = folders.substr(at, colon - at);
    if (!folder.empty() && folder[0] == '/') {
      const std::string candidate = folder + "/" + name;
      struct stat st {};
      if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
        return candidate;
      }
    }
    at = colon + 1;
  }
  return std::nullopt;
}

}  // namespace tunovar::posix
