#include "TimeZone.h"

#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace tarvolin::test {

TimeZoneScope::TimeZoneScope(const std::string& zone) {
    if (const char* tz = std::getenv("TZ"))
        previous_ = tz;
    setenv("TZ", zone.c_str(), 1);
    tzset();
}

TimeZoneScope::~TimeZoneScope() {
    if (previous_)
        setenv("TZ", previous_->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

bool TimeZoneInstalled(const std::string& zone) {
    return access(("/usr/share/zoneinfo/" + zone).c_str(), R_OK) == 0;
}

} // namespace tarvolin::test
