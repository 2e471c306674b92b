#pragma once

// The MS-DOS (FAT) date-time that sets the precision and range of every time this
// program writes: even seconds, no milliseconds, years 1980..2107.

#include "LocalDateTime.h"

#include <cstdint>
#include <optional>

namespace tarvolin {

// bits 0-4 seconds/2, 5-10 minutes, 11-15 hours, 16-20 day, 21-24 month, 25-31 year-1980.
// 0 when the year lies outside 1980..2107, or when a field names no real date or time of
// day (a 30 February, a 24th hour): packing it would wrap into another, valid-looking date.
std::uint32_t ToDosDateTime(const LocalDateTime& value);

// No value for a DOS value that spells no real date and time (0 among them).
std::optional<LocalDateTime> FromDosDateTime(std::uint32_t dosDateTime);

// The day of `date` at the time of day of `time` as a DOS date-time holds it, which is what
// both time writers store: odd seconds and milliseconds dropped. No value for a moment it
// cannot hold, so that a time outside 1980..2107 fails rather than landing on another date.
std::optional<LocalDateTime> AtDosPrecision(const LocalDateTime& date, const LocalDateTime& time);

} // namespace tarvolin
