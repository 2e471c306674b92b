#pragma once

// What a test needs to know about the platform it runs on, and the file times read and set
// straight through the platform, past the program's own file layer.

#include <cstdint>
#include <optional>
#include <string>

namespace tarvolin::test {

// True when a Windows build runs under Wine rather than on Windows itself; a test whose
// assertion holds on Windows but not under Wine skips there and says why.
bool RunningUnderWine();

#ifdef _WIN32
// UTF-8, as the program keeps paths, to the UTF-16 the wide Windows calls take.
std::wstring Wide(const std::string& utf8);
#endif

// A moment in UTC: seconds since 1970-01-01 and the nanoseconds within that second.
struct UtcTime {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;

    friend bool operator==(const UtcTime&, const UtcTime&) = default;
};

struct AccessAndModify {
    UtcTime access;
    UtcTime modify;

    friend bool operator==(const AccessAndModify&, const AccessAndModify&) = default;
};

// Which file an entry names: equal identities are one file, however many names it has.
// `links` counts those names; it takes no part in the comparison.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t links = 0;

    friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
        return a.volume == b.volume && a.index == b.index;
    }
};

// The entry itself, a final symbolic link not followed; no value when it cannot be queried.
std::optional<FileIdentity> ReadFileIdentity(const std::string& path);

// No value when the file cannot be queried.
std::optional<AccessAndModify> ReadRawTimes(const std::string& path);
bool WriteRawTimes(const std::string& path, const AccessAndModify& times);

// Seconds since 1970-01-01 of a UTC calendar moment (proleptic Gregorian), computed here
// rather than by the C library so that no time zone can take part.
constexpr std::int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
    const std::int64_t y = month <= 2 ? year - 1 : year;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}
static_assert(UtcSeconds(1970, 1, 1, 0, 0, 0) == 0);
static_assert(UtcSeconds(2001, 9, 9, 1, 46, 40) == 1'000'000'000);

} // namespace tarvolin::test
