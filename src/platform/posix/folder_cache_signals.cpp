// The folder cache's change signal: the system signals queued changes (SIGIO), so that a lookup
// with nothing changed reads nothing.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>

#include "platform/posix/folder_cache.h"

namespace tunovar::posix {
namespace {

// The count of change signals received, for every folder cache of the process: a signal
// handler has nothing else to write to. A cache reads its changes only when the count has
// moved since it last read them.
std::atomic<std::uint32_t> changeSignals{0};

void CountChangeSignal(int) { changeSignals.fetch_add(1, std::memory_order_relaxed); }

// Asks the system to signal process owner whenever changes are queued on fd.
bool SignalChanges(int fd, pid_t owner) {
  static const bool handled = [] {
    struct sigaction action {};
    action.sa_handler = CountChangeSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGIO, &action, nullptr) == 0;
  }();
  if (!handled || fcntl(fd, F_SETOWN, owner) != 0) return false;
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_ASYNC) == 0;
}

}  // namespace

void FolderCache::StartSignals() {
  owner_ = getpid();
  signalled_ = notify_ && SignalChanges(notify_.get(), owner_);
}

void FolderCache::BeforeOwnChange(const std::string& folder) {
  // This program's own change would signal the process (a signal's delivery costs more than
  // the calls it takes to avoid it): only a watched folder reports it, and nobody is signalled
  // until the changes are next read, which the next lookup does first and in whole.
  if (!signalled_ || !armed_ || watchOf_.find(folder) == watchOf_.end()) return;
  if (fcntl(notify_.get(), F_SETOWN, 0) == 0) armed_ = false;
}

bool FolderCache::NothingSignalled() {
  if (signalled_ && !armed_) {
    // Signals go to this process again before the queue is read: whatever the read does not
    // take is signalled. Where they cannot, the changes are read on every lookup.
    armed_ = fcntl(notify_.get(), F_SETOWN, owner_) == 0;
    signalled_ = armed_;
    signalsSeen_ = changeSignals.load(std::memory_order_acquire);
    return false;
  }
  if (!signalled_) return false;
  // Taken before reading: a change queued after this has its own signal.
  const std::uint32_t count = changeSignals.load(std::memory_order_acquire);
  if (count == signalsSeen_) return true;
  signalsSeen_ = count;
  return false;
}

bool FolderCache::TookAllSignalled(std::size_t bytesRead, std::size_t room) const {
  // A read with room left for another event took all that was queued; whatever comes later
  // is signalled again.
  return signalled_ && bytesRead + sizeof(inotify_event) + NAME_MAX + 1 <= room;
}

}  // namespace tunovar::posix
