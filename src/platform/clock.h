// Time as the installer sees it: a millisecond clock and a pause.
#pragma once

#include <cstdint>

namespace tunovar {

// Every wait of the installer and of its removal batch reads this clock, so a test can hand
// in one that it moves on itself.
class Clock {
 public:
  virtual ~Clock() = default;

  // timeGetTime: milliseconds of a monotonic clock, wrapping at 32 bits. A reading is cut
  // down to the whole millisecond, so two readings N apart may lie up to one millisecond less
  // than N apart: a wait that must last N milliseconds ends only once more than N have passed.
  [[nodiscard]] virtual std::uint32_t TimeMs() = 0;
  // Sleep: pauses for at least ms milliseconds; 0 gives up the rest of the time slice.
  virtual void SleepMs(std::uint32_t ms) = 0;
};

}  // namespace tunovar
