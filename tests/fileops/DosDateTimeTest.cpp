#include "DosDateTime.h"

#include <gtest/gtest.h>

namespace tarvolin {
namespace {

// The bit layout written out field by field, so the packer is checked against the layout
// itself rather than against numbers it produced.
std::uint32_t PackByHand(int year, int month, int day, int hour, int minute, int second) {
    const auto date = static_cast<std::uint32_t>((year - 1980) << 9 | month << 5 | day);
    const auto time = static_cast<std::uint32_t>(hour << 11 | minute << 5 | second / 2);
    return date << 16 | time;
}

struct PackCase {
    const char* label;
    LocalDateTime input;
    std::optional<LocalDateTime> readBack; // no value: the input packs to 0
};

class DosPacking : public ::testing::TestWithParam<PackCase> {};

TEST_P(DosPacking, KeepsEvenSecondsAndDropsMilliseconds) {
    const PackCase& c = GetParam();
    const std::uint32_t dos = ToDosDateTime(c.input);
    if (!c.readBack) {
        EXPECT_EQ(dos, 0u);
        return;
    }
    const LocalDateTime& want = *c.readBack;
    EXPECT_EQ(dos,
              PackByHand(want.year, want.month, want.day, want.hour, want.minute, want.second));
    EXPECT_EQ(FromDosDateTime(dos), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DosPacking,
    ::testing::Values(
        PackCase{"OddSecondAndMilliseconds",
                 {2026, 3, 14, 14, 3, 27, 900},
                 LocalDateTime{2026, 3, 14, 14, 3, 26, 0}},
        PackCase{"FirstDosMoment", {1980, 1, 1, 0, 0, 0, 0}, LocalDateTime{1980, 1, 1, 0, 0, 0, 0}},
        PackCase{"LastDosMoment",
                 {2107, 12, 31, 23, 59, 58, 0},
                 LocalDateTime{2107, 12, 31, 23, 59, 58, 0}},
        PackCase{"LastSecondOfDosRange",
                 {2107, 12, 31, 23, 59, 59, 999},
                 LocalDateTime{2107, 12, 31, 23, 59, 58, 0}},
        PackCase{"LeapDay", {2024, 2, 29, 12, 0, 1, 0}, LocalDateTime{2024, 2, 29, 12, 0, 0, 0}},
        PackCase{"YearBefore1980", {1979, 12, 31, 23, 59, 58, 0}, std::nullopt},
        PackCase{"Year1975", {1975, 6, 1, 12, 0, 0, 0}, std::nullopt},
        PackCase{"YearAfter2107", {2108, 1, 1, 0, 0, 0, 0}, std::nullopt},
        PackCase{"NoLeapDayIn2023", {2023, 2, 29, 0, 0, 0, 0}, std::nullopt},
        PackCase{"Month13", {2020, 13, 1, 0, 0, 0, 0}, std::nullopt},
        PackCase{"Day0", {2020, 5, 0, 0, 0, 0, 0}, std::nullopt},
        PackCase{"Hour24", {2020, 5, 1, 24, 0, 0, 0}, std::nullopt},
        PackCase{"Minute60", {2020, 5, 1, 0, 60, 0, 0}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

struct UnpackCase {
    const char* label;
    std::uint32_t dos;
};

class InvalidDosValue : public ::testing::TestWithParam<UnpackCase> {};

TEST_P(InvalidDosValue, NamesNoDate) {
    EXPECT_EQ(FromDosDateTime(GetParam().dos), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InvalidDosValue,
    ::testing::Values(UnpackCase{"Zero", 0},
                      UnpackCase{"MonthZero", PackByHand(2000, 0, 1, 0, 0, 0)},
                      UnpackCase{"Month13", PackByHand(2000, 13, 1, 0, 0, 0)},
                      UnpackCase{"DayZero", PackByHand(2000, 1, 0, 0, 0, 0)},
                      UnpackCase{"April31", PackByHand(2000, 4, 31, 0, 0, 0)},
                      UnpackCase{"February30", PackByHand(2000, 2, 30, 0, 0, 0)},
                      UnpackCase{"Hour24", PackByHand(2000, 1, 1, 24, 0, 0)},
                      UnpackCase{"Minute60", PackByHand(2000, 1, 1, 0, 60, 0)},
                      UnpackCase{"Second60", PackByHand(2000, 1, 1, 0, 0, 60)}),
    [](const auto& info) { return std::string(info.param.label); });

// The pickers hand over halves: only the day of the date and the time of day of the time
// count, whatever else each carries.
struct PrecisionCase {
    const char* label;
    LocalDateTime date;
    LocalDateTime time;
    std::optional<LocalDateTime> stored;
};

class DosPrecision : public ::testing::TestWithParam<PrecisionCase> {};

TEST_P(DosPrecision, JoinsTheHalvesAsADosDateTimeHoldsThem) {
    const PrecisionCase& c = GetParam();
    EXPECT_EQ(AtDosPrecision(c.date, c.time), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DosPrecision,
    ::testing::Values(PrecisionCase{"EachHalfFromItsOwnPicker",
                                    {2026, 3, 14, 9, 9, 9, 9},
                                    {1999, 1, 1, 14, 3, 27, 900},
                                    LocalDateTime{2026, 3, 14, 14, 3, 26, 0}},
                      PrecisionCase{"TimeHalfOfAnotherCentury",
                                    {2000, 1, 1},
                                    {1901, 1, 1, 1, 2, 3},
                                    LocalDateTime{2000, 1, 1, 1, 2, 2, 0}},
                      PrecisionCase{
                          "YearBefore1980", {1979, 12, 31}, {2000, 1, 1, 23, 59, 58}, std::nullopt},
                      PrecisionCase{"YearAfter2107", {2108, 1, 1}, {1980, 1, 1, 12}, std::nullopt},
                      PrecisionCase{"NoSuchDay", {2023, 2, 29}, {2000, 1, 1}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DosDateTime, EveryEvenSecondOfADayRoundTrips) {
    for (int second = 0; second < 24 * 3600; second += 2) {
        const LocalDateTime value{2001, 9, 9, second / 3600, second / 60 % 60, second % 60, 0};
        ASSERT_EQ(FromDosDateTime(ToDosDateTime(value)), value) << second;
    }
}

} // namespace
} // namespace tarvolin
