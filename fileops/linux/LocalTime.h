#pragma once

// Between file-system time (UTC since the Unix epoch) and the wall-clock time the user sees.
// Both directions use the time-zone offset that was or will be in force at the moment being
// converted, so a summer date keeps its summer offset even when it is read in winter.

#include "LocalDateTime.h"

#include <cstdint>
#include <optional>

namespace tarvolin {

struct UnixTime {
    std::int64_t seconds = 0;
    std::uint32_t nanoseconds = 0; // 0..999'999'999

    friend bool operator==(const UnixTime&, const UnixTime&) = default;
};

// No value when the C library cannot place the moment in a calendar.
std::optional<LocalDateTime> UtcToLocal(const UnixTime& utc);

// Milliseconds are carried over. No value when the fields name no calendar moment the C
// library can convert.
std::optional<UnixTime> LocalToUtc(const LocalDateTime& local);

} // namespace tarvolin
