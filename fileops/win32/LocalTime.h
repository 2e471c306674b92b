#pragma once

// Between the system's FILETIME (100 ns steps since 1601, UTC) and ExactTime.

#include "FileOps.h"

#include <optional>
#include <windows.h>

namespace tarvolin {

inline constexpr long long kTicksPerSecond = 10'000'000;
inline constexpr long long kTicksFrom1601To1970 = 116'444'736'000'000'000;

inline ExactTime ToExactTime(long long ticks) {
    long long sinceEpoch = ticks - kTicksFrom1601To1970;
    long long seconds = sinceEpoch / kTicksPerSecond;
    long long rest = sinceEpoch % kTicksPerSecond;
    if (rest < 0) {
        --seconds;
        rest += kTicksPerSecond;
    }
    return ExactTime{seconds, static_cast<unsigned>(rest * 100)};
}

inline ExactTime ToExactTime(const FILETIME& time) {
    return ToExactTime(static_cast<long long>(
        (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime));
}

// No value for a moment before 1601, which the system cannot hold.
inline std::optional<FILETIME> ToFileTime(const ExactTime& time) {
    const long long ticks =
        time.seconds * kTicksPerSecond + time.nanoseconds / 100 + kTicksFrom1601To1970;
    if (ticks < 0)
        return std::nullopt;
    FILETIME fileTime{};
    fileTime.dwLowDateTime = static_cast<DWORD>(ticks);
    fileTime.dwHighDateTime = static_cast<DWORD>(static_cast<unsigned long long>(ticks) >> 32);
    return fileTime;
}

} // namespace tarvolin
