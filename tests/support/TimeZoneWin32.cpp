// A test cannot switch the Windows time zone for itself alone: the zone is the system's (under
// Wine, the one TZ named when Wine started). So the scope changes nothing, and a zone counts
// as installed only when the zone in force follows its rules.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "TimeZone.h"

#include <windows.h>

namespace tarvolin::test {

namespace {

struct ZoneRules {
    const char* name;
    LONG bias; // minutes, UTC = local + bias
    LONG daylightBias;
    WORD standardMonth, standardWeek, standardHour; // week 5: the last in the month
    WORD daylightMonth, daylightWeek, daylightHour;
};

// Central European time: daylight saving from the last Sunday of March, 02:00, to the last
// Sunday of October, 03:00.
constexpr ZoneRules kKnownZones[] = {{"Europe/Berlin", -60, -60, 10, 5, 3, 3, 5, 2}};

bool Follows(const TIME_ZONE_INFORMATION& zone, const ZoneRules& rules) {
    const SYSTEMTIME& standard = zone.StandardDate;
    const SYSTEMTIME& daylight = zone.DaylightDate;
    return zone.Bias == rules.bias && zone.DaylightBias == rules.daylightBias &&
           standard.wMonth == rules.standardMonth && standard.wDay == rules.standardWeek &&
           standard.wDayOfWeek == 0 && standard.wHour == rules.standardHour &&
           daylight.wMonth == rules.daylightMonth && daylight.wDay == rules.daylightWeek &&
           daylight.wDayOfWeek == 0 && daylight.wHour == rules.daylightHour;
}

} // namespace

TimeZoneScope::TimeZoneScope(const std::string&) {}

TimeZoneScope::~TimeZoneScope() = default;

bool TimeZoneInstalled(const std::string& zone) {
    TIME_ZONE_INFORMATION current{};
    if (GetTimeZoneInformation(&current) == TIME_ZONE_ID_INVALID)
        return false;
    for (const ZoneRules& rules : kKnownZones) {
        if (zone == rules.name)
            return Follows(current, rules);
    }
    return false;
}

} // namespace tarvolin::test
