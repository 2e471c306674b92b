#pragma once

#include <optional>
#include <string>

namespace tarvolin::test {

// Puts the process into time zone `zone` (a tz database name) for the object's lifetime and
// restores the previous TZ afterwards.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const std::string& zone);
    ~TimeZoneScope();
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    std::optional<std::string> previous_;
};

// Whether the tz database knows `zone` (a missing zone silently acts as UTC). On Windows a
// test cannot switch the zone for itself (the scope changes nothing there), so this tells
// whether the system zone in force follows `zone`'s rules (TimeZoneWin32.cpp).
bool TimeZoneInstalled(const std::string& zone);

} // namespace tarvolin::test
