#pragma once

// What a test needs to know about the platform it runs on, and the file times read and set
// straight through the platform, past the program's own file layer.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tarvolin::test {

// True when a Windows build runs under Wine rather than on Windows itself; a test whose
// assertion holds on Windows but not under Wine skips there and says why.
bool RunningUnderWine();

// UTF-8, as the program keeps paths, to the UTF-16 the wide Windows calls take. Defined
// in Windows builds only.
std::wstring Wide(const std::string& utf8);

// A path as std::filesystem takes it: on Windows the UTF-8 string as char8_t, so that no
// code page gets in between; on Linux the bytes as they are, so that names which are no
// UTF-8 stay usable. Utf8String is the way back.
std::filesystem::path Utf8Path(const std::string& path);
std::string Utf8String(const std::filesystem::path& path);

// A new, empty directory of this process's own in the system's temporary folder.
std::string CreateScratchDirectory();
// Lifts whatever would keep `path` from being removed: Windows' read-only attribute;
// Linux's immutable and append-only flags and a directory without write permission.
void MakeRemovable(const std::filesystem::path& path);
// Whether names may hold any byte but '/' and NUL (Windows refuses several more).
bool NamesMayHoldAnyByte();

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
