#include "LocalTime.h"

#include <cerrno>
#include <ctime>
#include <limits>

namespace tarvolin {

namespace {

constexpr std::uint32_t kNanosecondsPerMillisecond = 1'000'000;
constexpr int kTmYearBase = 1900;

} // namespace

std::optional<LocalDateTime> UtcToLocal(const UnixTime& utc) {
    if (utc.seconds < std::numeric_limits<std::time_t>::min() ||
        utc.seconds > std::numeric_limits<std::time_t>::max())
        return std::nullopt;
    const std::time_t seconds = static_cast<std::time_t>(utc.seconds);
    std::tm fields{};
    if (localtime_r(&seconds, &fields) == nullptr)
        return std::nullopt;
    return LocalDateTime{fields.tm_year + kTmYearBase,
                         fields.tm_mon + 1,
                         fields.tm_mday,
                         fields.tm_hour,
                         fields.tm_min,
                         fields.tm_sec,
                         static_cast<int>(utc.nanoseconds / kNanosecondsPerMillisecond)};
}

std::optional<UnixTime> LocalToUtc(const LocalDateTime& local) {
    if (local.millisecond < 0 || local.millisecond > 999)
        return std::nullopt;
    std::tm fields{};
    fields.tm_year = local.year - kTmYearBase;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    fields.tm_isdst = -1; // let the zone rules of that very date decide
    errno = 0;
    const std::time_t seconds = std::mktime(&fields);
    if (seconds == static_cast<std::time_t>(-1) && errno != 0)
        return std::nullopt;
    return UnixTime{static_cast<std::int64_t>(seconds),
                    static_cast<std::uint32_t>(local.millisecond) * kNanosecondsPerMillisecond};
}

} // namespace tarvolin
