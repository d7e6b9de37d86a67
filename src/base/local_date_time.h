// A point in time as local date and time, to the second: file times and log stamps.
#pragma once

namespace tunovar {

struct LocalDateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

}  // namespace tunovar
