// A clock for tests that stands still until the code under test sleeps.
#include "support/fake_clock.h"

#include <stdexcept>

namespace tunovar::testing {

std::uint32_t FakeClock::TimeMs() {
  if (msPerReading == 0 && ++readingsSinceSleep_ > 100000) {
    throw std::logic_error("the code waits on a clock that stands still: set msPerReading");
  }
  now += msPerReading;
  return now;
}

void FakeClock::SleepMs(std::uint32_t ms) {
  readingsSinceSleep_ = 0;
  sleeps.push_back(ms);
  if (journal != nullptr) journal->push_back("Sleep " + std::to_string(ms));
  now += ms;
  if (onSleep) onSleep();
}

}  // namespace tunovar::testing
