#include "DosAttribBlob.h"

#include "SambaBlobs.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace tarvolin {
namespace {

using test::Bytes;
using test::kValidAttrib;
using test::kValidCreateTime;

constexpr NtTime kSomeTime = 133'000'000'000'000'000; // a 2022 moment

bool Same(const std::optional<DosAttrib>& a, const std::optional<DosAttrib>& b) {
    if (!a || !b)
        return a.has_value() == b.has_value();
    return a->attributes == b->attributes && a->createTime == b->createTime &&
           a->attributesValid == b->attributesValid;
}

std::string Describe(const std::optional<DosAttrib>& value) {
    if (!value)
        return "nothing";
    std::ostringstream text;
    text << "attrib 0x" << std::hex << value->attributes << " time ";
    if (value->createTime)
        text << std::dec << *value->createTime;
    else
        text << "none";
    return text.str();
}

std::optional<DosAttrib> Parse(const Bytes& bytes) {
    return ParseDosAttrib(bytes);
}

struct ParseCase {
    const char* label;
    Bytes blob;
    std::optional<DosAttrib> expected;
};

class SambaForms : public ::testing::TestWithParam<ParseCase> {};

TEST_P(SambaForms, ParseAsSambaReadsThem) {
    const ParseCase& c = GetParam();
    const std::optional<DosAttrib> parsed = Parse(c.blob);
    EXPECT_TRUE(Same(parsed, c.expected))
        << Describe(parsed) << " instead of " << Describe(c.expected);
}

const Bytes kMeasuredVersion5{0x00, 0x00, 0x05, 0x00, 0x05, 0x00, 0x00, 0x00,
                              0x11, 0x00, 0x00, 0x00, 0x27, 0x00, 0x00, 0x00,
                              0x00, 0x80, 0x3E, 0xD5, 0xDE, 0xB1, 0x9D, 0x01};

INSTANTIATE_TEST_SUITE_P(
    Table, SambaForms,
    ::testing::Values(
        ParseCase{"BareHexWithoutNul", test::BareHexBlob("0x22", false), DosAttrib{0x22, {}}},
        ParseCase{"BareHexWithNul", test::BareHexBlob("0x7", true), DosAttrib{0x7, {}}},
        ParseCase{"BareHexUpperCase", test::BareHexBlob("0X2F", true), DosAttrib{0x2F, {}}},
        ParseCase{"BareHexWithoutPrefix", test::BareHexBlob("21", true), DosAttrib{0x21, {}}},
        ParseCase{"Version1", test::Version1Blob(0x21, kSomeTime), DosAttrib{0x21, kSomeTime}},
        ParseCase{"Version1WithoutTime", test::Version1Blob(0x21, 0), DosAttrib{0x21, {}}},
        ParseCase{"Version2", test::Version2Blob(0x3), DosAttrib{0x3, {}}},
        ParseCase{"Version3", test::Version3Blob(kValidAttrib | kValidCreateTime, 0x22, kSomeTime),
                  DosAttrib{0x22, kSomeTime}},
        ParseCase{"Version3TimeNotFlagged", test::Version3Blob(kValidAttrib, 0x22, kSomeTime),
                  DosAttrib{0x22, {}}},
        ParseCase{"Version4", test::Version4Blob(kValidAttrib | kValidCreateTime, 0x20, kSomeTime),
                  DosAttrib{0x20, kSomeTime}},
        ParseCase{"Version5", test::Version5Blob(kValidAttrib | kValidCreateTime, 0x27, kSomeTime),
                  DosAttrib{0x27, kSomeTime}},
        ParseCase{"Version5FlaggedZeroTime",
                  test::Version5Blob(kValidAttrib | kValidCreateTime, 0x2, 0), DosAttrib{0x2, {}}},
        ParseCase{"MeasuredSambaVersion5", kMeasuredVersion5, DosAttrib{0x27, 0x019DB1DED53E8000}},
        ParseCase{"Version3AttribNotFlagged", test::Version3Blob(kValidCreateTime, 0x22, kSomeTime),
                  DosAttrib{0, kSomeTime, false}},
        ParseCase{"Version5AttribNotFlagged", test::Version5Blob(kValidCreateTime, 0x22, kSomeTime),
                  DosAttrib{0, kSomeTime, false}},
        ParseCase{"Empty", Bytes{}, std::nullopt}, ParseCase{"OnlyNul", Bytes{0}, std::nullopt},
        ParseCase{"PrefixWithoutDigits", test::BareHexBlob("0x", true), std::nullopt},
        ParseCase{"NotHex", test::BareHexBlob("0xzz", true), std::nullopt},
        ParseCase{"TooManyDigits", test::BareHexBlob("0x123456789", true), std::nullopt},
        ParseCase{"UnknownVersion6", Bytes{0, 0, 6, 0, 6, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0},
                  std::nullopt},
        ParseCase{"VersionFFFFSpelledOut", Bytes{0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, std::nullopt},
        ParseCase{"LevelDiffersFromVersion",
                  Bytes{0, 0, 5, 0, 3, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                  std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

struct TruncationCase {
    const char* label;
    Bytes blob;
    std::size_t firstCut; // shorter prefixes are still a valid bare hex string
};

class Truncated : public ::testing::TestWithParam<TruncationCase> {};

TEST_P(Truncated, EveryShorterPrefixIsRejected) {
    const TruncationCase& c = GetParam();
    ASSERT_TRUE(Parse(c.blob).has_value());
    for (std::size_t length = c.firstCut; length < c.blob.size(); ++length) {
        const Bytes prefix(c.blob.begin(), c.blob.begin() + static_cast<long>(length));
        EXPECT_FALSE(Parse(prefix).has_value()) << "length " << length;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Truncated,
    ::testing::Values(
        TruncationCase{"Version1", test::Version1Blob(0x20, kSomeTime), 6},
        TruncationCase{"Version2", test::Version2Blob(0x20), 6},
        TruncationCase{"Version3", test::Version3Blob(kValidAttrib, 0x22, kSomeTime), 6},
        TruncationCase{"Version4", test::Version4Blob(kValidAttrib, 0x22, kSomeTime), 1},
        TruncationCase{"Version5", test::Version5Blob(kValidAttrib, 0x22, kSomeTime), 1}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DosAttribEncoding, WritesSambaVersion3ByteForByte) {
    const std::vector<DosAttrib> values{{0x22, kSomeTime}, {0x22, {}}, {0x0, {}}, {0x27, 1}};
    for (const DosAttrib& value : values) {
        const std::uint32_t flags = kValidAttrib | (value.createTime ? kValidCreateTime : 0);
        Bytes expected = test::Version3Blob(flags, value.attributes, value.createTime.value_or(0));
        // Samba's size, alloc_size and change_time are not tracked here and written as 0.
        const std::size_t body = expected.size() - 44;
        std::fill(expected.begin() + static_cast<long>(body + 12),
                  expected.begin() + static_cast<long>(body + 28), 0);
        std::fill(expected.end() - 8, expected.end(), 0);
        EXPECT_EQ(EncodeDosAttrib(value), expected) << std::hex << value.attributes;
    }
}

// Rewritten in the version read, with every field this program does not own as it was.
TEST(DosAttribEncoding, KeepsTheVersionAndFieldsItWasReadWith) {
    for (const Bytes& blob :
         {test::Version3Blob(kValidAttrib | kValidCreateTime | 0x40, 0x22, kSomeTime),
          test::Version4Blob(kValidAttrib | 0x80, 0x20, kSomeTime),
          test::Version5Blob(kValidCreateTime, 0x2, kSomeTime), kMeasuredVersion5}) {
        const std::optional<DosAttrib> parsed = Parse(blob);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(EncodeDosAttrib(*parsed), blob);
    }
}

TEST(DosAttribEncoding, Version3With0x22Takes56Bytes) {
    EXPECT_EQ(EncodeDosAttrib(DosAttrib{0x22, kSomeTime}).size(), 56u);
}

TEST(DosAttribEncoding, RoundTripsThroughTheParser) {
    for (std::uint32_t attributes : {0x0u, 0x1u, 0x2u, 0x27u, 0x80u, 0xFFFFFFFFu}) {
        for (std::optional<NtTime> time : {std::optional<NtTime>{}, std::optional(kSomeTime)}) {
            const DosAttrib value{attributes, time};
            const std::optional<DosAttrib> back = Parse(EncodeDosAttrib(value));
            EXPECT_TRUE(Same(back, value)) << std::hex << attributes;
        }
    }
}

// Random bytes must never crash the parser (the sanitizer build watches), and whatever it
// accepts must survive being written and read again unchanged.
TEST(DosAttribParsing, RandomBytesParseSafelyAndWhatParsesRoundTrips) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 80);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        Bytes blob(static_cast<std::size_t>(length(random)));
        for (auto& b : blob)
            b = static_cast<std::uint8_t>(byte(random));
        if (round % 4 == 0 && blob.size() > 4) { // steer some toward the versioned forms
            blob[0] = 0;
            blob[1] = 0;
            blob[2] = static_cast<std::uint8_t>(1 + round % 5);
            blob[3] = 0;
            blob[4] = blob[2];
        }
        const std::optional<DosAttrib> parsed = Parse(blob);
        if (!parsed)
            continue;
        ++accepted;
        EXPECT_TRUE(Same(Parse(EncodeDosAttrib(*parsed)), parsed));
    }
    EXPECT_GT(accepted, 0);
}

struct NtTimeCase {
    const char* label;
    std::int64_t seconds;
    std::uint32_t nanoseconds;
};

class NtTimeConversion : public ::testing::TestWithParam<NtTimeCase> {};

TEST_P(NtTimeConversion, CountsHundredNanosecondTicksSince1601) {
    const NtTimeCase& c = GetParam();
    const NtTime value = NtTimeFromUnix(c.seconds, c.nanoseconds);
    EXPECT_EQ(value,
              static_cast<NtTime>(c.seconds + 11644473600) * 10'000'000 + c.nanoseconds / 100);
    std::int64_t seconds = 0;
    std::uint32_t nanoseconds = 0;
    NtTimeToUnix(value, seconds, nanoseconds);
    EXPECT_EQ(seconds, c.seconds);
    EXPECT_EQ(nanoseconds, c.nanoseconds / 100 * 100);
}

INSTANTIATE_TEST_SUITE_P(Table, NtTimeConversion,
                         ::testing::Values(NtTimeCase{"UnixEpoch", 0, 0},
                                           NtTimeCase{"Year1980", 315532800, 0},
                                           NtTimeCase{"SubTickNanoseconds", 1700000000, 123456789},
                                           NtTimeCase{"Year2107", 4354819198, 0},
                                           NtTimeCase{"BeforeUnixEpoch", -86400, 500}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(NtTime, EpochOf1601IsZero) {
    std::int64_t seconds = 0;
    std::uint32_t nanoseconds = 1;
    NtTimeToUnix(0, seconds, nanoseconds);
    EXPECT_EQ(seconds, -kNtTimeUnixEpochSeconds);
    EXPECT_EQ(nanoseconds, 0u);
}

} // namespace
} // namespace tarvolin
