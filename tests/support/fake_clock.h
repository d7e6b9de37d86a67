// A clock for tests that stands still until the code under test sleeps.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace tunovar::testing {

class FakeClock : public Clock {
 public:
  std::uint32_t now = 1000;
  // Time that one reading takes, for code that waits by reading the clock in a loop without
  // sleeping (WaitKill): the work between two readings. 0: the clock stands still between
  // sleeps, and a loop that reads it 100000 times without sleeping fails the test.
  std::uint32_t msPerReading = 0;
  std::vector<std::uint32_t> sleeps;             // every SleepMs, in order
  std::vector<std::string>* journal = nullptr;   // also told "Sleep <ms>", among other calls
  std::function<void()> onSleep;                 // runs after a SleepMs has moved the clock on

  std::uint32_t TimeMs() override;
  void SleepMs(std::uint32_t ms) override;

 private:
  int readingsSinceSleep_ = 0;
};

}  // namespace tunovar::testing
