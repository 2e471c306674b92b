#include "RowFacts.h"

namespace tarvolin {

namespace {

// Field widths from the millisecond up; the year takes what is left below the presence bit,
// offset so that a year before 1 packs too.
constexpr int kMillisecondBits = 10;
constexpr int kSecondBits = 6;
constexpr int kMinuteBits = 6;
constexpr int kHourBits = 5;
constexpr int kDayBits = 5;
constexpr int kMonthBits = 4;
constexpr std::uint64_t kPresent = std::uint64_t{1} << 63;
constexpr std::int64_t kYearOffset = std::int64_t{1} << 26;

struct Field {
    int LocalDateTime::*member;
    int bits;
};
constexpr Field kFields[] = {
    {&LocalDateTime::millisecond, kMillisecondBits},
    {&LocalDateTime::second, kSecondBits},
    {&LocalDateTime::minute, kMinuteBits},
    {&LocalDateTime::hour, kHourBits},
    {&LocalDateTime::day, kDayBits},
    {&LocalDateTime::month, kMonthBits},
};

static_assert(sizeof(PackedTime) == 8);
static_assert(sizeof(RowFacts) <= 72);

} // namespace

PackedTime::PackedTime(const std::optional<LocalDateTime>& value) {
    if (!value)
        return;
    std::uint64_t bits = static_cast<std::uint64_t>(value->year + kYearOffset);
    for (auto field = std::rbegin(kFields); field != std::rend(kFields); ++field) {
        const std::uint64_t mask = (std::uint64_t{1} << field->bits) - 1;
        bits =
            (bits << field->bits) | (static_cast<std::uint64_t>((*value).*(field->member)) & mask);
    }
    bits_ = bits | kPresent;
}

std::optional<LocalDateTime> PackedTime::Unpacked() const {
    if (bits_ == 0)
        return std::nullopt;
    std::uint64_t bits = bits_ & ~kPresent;
    LocalDateTime value;
    for (const Field& field : kFields) {
        value.*(field.member) = static_cast<int>(bits & ((std::uint64_t{1} << field.bits) - 1));
        bits >>= field.bits;
    }
    value.year = static_cast<int>(static_cast<std::int64_t>(bits) - kYearOffset);
    return value;
}

RowFacts::RowFacts(const FileSummary& summary)
    : creationTime(summary.creationTime), modifyTime(summary.modifyTime),
      attributes(summary.attributes == kUnreadableAttributes
                     ? std::int8_t{-1}
                     : static_cast<std::int8_t>(summary.attributes &
                                                (kReadOnly | kHidden | kSystem | kArchive))) {}

RowFacts::RowFacts(const FileSummaryAndStamp& read, VolumeTable& volumes) : RowFacts(read.summary) {
    stamp = PackedStamp(read.stamp, volumes);
}

} // namespace tarvolin
