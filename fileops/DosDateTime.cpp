#include "DosDateTime.h"

namespace tarvolin {

namespace {

constexpr int kFirstDosYear = 1980;
constexpr int kLastDosYear = 2107;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// A value that names no real moment must not be packed into bit fields that would wrap it
// into some other, valid-looking date.
bool IsRepresentable(const LocalDateTime& v) {
    return v.year >= kFirstDosYear && v.year <= kLastDosYear && v.month >= 1 && v.month <= 12 &&
           v.day >= 1 && v.day <= DaysInMonth(v.year, v.month) && v.hour >= 0 && v.hour <= 23 &&
           v.minute >= 0 && v.minute <= 59 && v.second >= 0 && v.second <= 59;
}

} // namespace

std::uint32_t ToDosDateTime(const LocalDateTime& value) {
    if (!IsRepresentable(value))
        return 0;
    const std::uint32_t date = static_cast<std::uint32_t>(value.year - kFirstDosYear) << 9 |
                               static_cast<std::uint32_t>(value.month) << 5 |
                               static_cast<std::uint32_t>(value.day);
    const std::uint32_t time = static_cast<std::uint32_t>(value.hour) << 11 |
                               static_cast<std::uint32_t>(value.minute) << 5 |
                               static_cast<std::uint32_t>(value.second / 2);
    return date << 16 | time;
}

std::optional<LocalDateTime> FromDosDateTime(std::uint32_t dosDateTime) {
    const std::uint32_t date = dosDateTime >> 16;
    const std::uint32_t time = dosDateTime & 0xFFFF;
    LocalDateTime value;
    value.year = kFirstDosYear + static_cast<int>(date >> 9);
    value.month = static_cast<int>((date >> 5) & 0x0F);
    value.day = static_cast<int>(date & 0x1F);
    value.hour = static_cast<int>(time >> 11);
    value.minute = static_cast<int>((time >> 5) & 0x3F);
    value.second = static_cast<int>(time & 0x1F) * 2;
    if (!IsRepresentable(value))
        return std::nullopt;
    return value;
}

std::optional<LocalDateTime> AtDosPrecision(const LocalDateTime& date, const LocalDateTime& time) {
    return FromDosDateTime(ToDosDateTime(CombineDateAndTime(date, time)));
}

} // namespace tarvolin
