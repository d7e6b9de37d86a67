// Ctrl-C, a closed terminal and a request to terminate, taken as a Cancel of the run.
#include "platform/posix/interrupt_signals.h"

#include <signal.h>

#include <array>
#include <atomic>

namespace tunovar::posix {
namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> firstSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may touch only a lock-free atomic");

// What each signal did before; handled[k] when this program caught it.
std::array<struct sigaction, kSignals.size()> before{};
std::array<bool, kSignals.size()> handled{};

extern "C" void NoteInterrupt(int signal) {
  int none = 0;
  (void)firstSignal.compare_exchange_strong(none, signal);
}

}  // namespace

void CatchInterrupts() {
  for (std::size_t k = 0; k < kSignals.size(); ++k) {
    if (sigaction(kSignals[k], nullptr, &before[k]) != 0 || before[k].sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = &NoteInterrupt;
    sigemptyset(&action.sa_mask);
    // Once caught, the next one acts as the system would: a user who asks twice is not kept
    // waiting. System calls go on where they were.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    handled[k] = sigaction(kSignals[k], &action, nullptr) == 0;
  }
}

int InterruptSignal() { return firstSignal.load(std::memory_order_relaxed); }

const char* InterruptSignalName(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
  }
}

void RestoreInterrupts() {
  for (std::size_t k = 0; k < kSignals.size(); ++k) {
    if (handled[k]) (void)sigaction(kSignals[k], &before[k], nullptr);
  }
}

}  // namespace tunovar::posix
