#pragma once

#include <compare>

namespace tarvolin {

// A wall-clock date and time of day in the user's time zone, to the millisecond.
// The date pickers hold the date part and the time pickers the time-of-day part,
// so the two halves are taken apart and put together again freely.
struct LocalDateTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend constexpr auto operator<=>(const LocalDateTime&, const LocalDateTime&) = default;
};

// The day of `date` with the time of day of `time`; whatever time `date` carries and
// whatever day `time` carries are ignored.
constexpr LocalDateTime CombineDateAndTime(const LocalDateTime& date, const LocalDateTime& time) {
    return {date.year, date.month, date.day, time.hour, time.minute, time.second, time.millisecond};
}

} // namespace tarvolin
