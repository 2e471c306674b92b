#include "RowFacts.h"

namespace tarvolin {

namespace {

// A local time's field widths from the millisecond up; the year takes what is left, offset
// so that a year before 1 packs too.
constexpr int kMillisecondBits = 10;
constexpr int kSecondBits = 6;
constexpr int kMinuteBits = 6;
constexpr int kHourBits = 5;
constexpr int kDayBits = 5;
constexpr int kMonthBits = 4;
constexpr std::int64_t kYearOffset = std::int64_t{1} << 26;
// A packed moment holds its seconds offset by this much, below its milliseconds; one more
// than the packing keeps 0 for none.
constexpr long long kSecondsReach = 1LL << 52;
constexpr unsigned kNanosecondsPerMillisecond = 1'000'000;

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

std::uint64_t LocalTimeOrderKey(const std::optional<LocalDateTime>& value) {
    if (!value)
        return UINT64_MAX;
    std::uint64_t bits = static_cast<std::uint64_t>(value->year + kYearOffset);
    for (auto field = std::rbegin(kFields); field != std::rend(kFields); ++field) {
        const std::uint64_t mask = (std::uint64_t{1} << field->bits) - 1;
        bits =
            (bits << field->bits) | (static_cast<std::uint64_t>((*value).*(field->member)) & mask);
    }
    return bits;
}

PackedTime::PackedTime(const std::optional<ExactTime>& value) {
    if (!value || value->seconds < -kSecondsReach || value->seconds >= kSecondsReach)
        return;
    const auto seconds = static_cast<std::uint64_t>(value->seconds + kSecondsReach);
    const std::uint64_t milliseconds = value->nanoseconds / kNanosecondsPerMillisecond % 1000;
    bits_ = ((seconds << kMillisecondBits) | milliseconds) + 1;
}

std::optional<ExactTime> PackedTime::Unpacked() const {
    if (bits_ == 0)
        return std::nullopt;
    const std::uint64_t bits = bits_ - 1;
    const auto milliseconds = static_cast<unsigned>(bits & ((1u << kMillisecondBits) - 1));
    return ExactTime{static_cast<long long>(bits >> kMillisecondBits) - kSecondsReach,
                     milliseconds * kNanosecondsPerMillisecond};
}

RowFacts::RowFacts(const UtcFileSummary& summary)
    : creationTime(summary.creationTime), modifyTime(summary.modifyTime),
      attributes(summary.attributes == kUnreadableAttributes
                     ? std::int8_t{-1}
                     : static_cast<std::int8_t>(summary.attributes &
                                                (kReadOnly | kHidden | kSystem | kArchive))) {}

RowFacts::RowFacts(const FileSummaryAndStamp& read, VolumeTable& volumes) : RowFacts(read.summary) {
    stamp = PackedStamp(read.stamp, volumes);
}

} // namespace tarvolin
