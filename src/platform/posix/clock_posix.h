// The clock of a Linux run: CLOCK_MONOTONIC and nanosleep.
//
// Clock members on Linux: real  TimeMs SleepMs.
#pragma once

#include "platform/clock.h"

namespace tunovar::posix {

class PosixClock final : public Clock {
 public:
  std::uint32_t TimeMs() override;
  void SleepMs(std::uint32_t ms) override;
};

}  // namespace tunovar::posix
