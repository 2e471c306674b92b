// The time readers and writers as both backends must give them, beyond what the volume
// contract (tests/volumes/VolumeContractTest.cpp) checks on every kind of volume. The raw access
// and modify times are read past the program, through the platform, to see what reached the disk.
#include "FileOps.h"
#include "Platform.h"
#include "SharedCases.h"
#include "TempDir.h"
#include "TimeZone.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tarvolin {
namespace {

using test::AccessAndModify;
using test::TempDir;
using test::UtcSeconds;
using test::WriteFile;

// A zone with daylight saving, so that a conversion by the wrong offset shows.
constexpr const char* kZone = "Europe/Berlin";

class InDaylightSavingZone : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::TimeZoneInstalled(kZone))
            GTEST_SKIP() << kZone << " is not the zone in force (Linux: tzdata missing; "
                         << "Windows: the system zone has other rules; Wine: TZ is not set)";
    }
    test::TimeZoneScope zone_{kZone};
};

using cases::kCreation;
using cases::kModify;

// Distinctive times, with sub-second parts no writer under test produces by itself.
const AccessAndModify kOldTimes{{1'000'000'000, 123'000'000}, {1'100'000'000, 456'000'000}};

std::string NewFile(const TempDir& dir, const std::string& name) {
    const std::string path = dir / name;
    WriteFile(path, "x");
    EXPECT_TRUE(test::WriteRawTimes(path, kOldTimes)) << path;
    return path;
}

struct ZoneCase {
    const char* label;
    LocalDateTime local;
    std::int64_t utc;
};

class OwnOffsetOfTheDate : public InDaylightSavingZone,
                           public ::testing::WithParamInterface<ZoneCase> {};

// Summer and winter dates both convert by their own offset, whatever today's offset is.
TEST_P(OwnOffsetOfTheDate, ModifyTimeOnDiskIsTheMatchingUtc) {
    const ZoneCase& c = GetParam();
    TempDir dir;
    const std::string path = NewFile(dir, "file.txt");

    ASSERT_TRUE(SetModifyTime(path, c.local, c.local));

    const std::optional<AccessAndModify> raw = test::ReadRawTimes(path);
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->modify, (test::UtcTime{c.utc, 0}));
    EXPECT_EQ(GetModifyTime(path), c.local);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OwnOffsetOfTheDate,
    ::testing::Values(
        ZoneCase{"Summer", {2026, 7, 15, 14, 0, 0, 0}, UtcSeconds(2026, 7, 15, 12, 0, 0)},
        ZoneCase{"Winter", {2026, 12, 15, 14, 0, 0, 0}, UtcSeconds(2026, 12, 15, 13, 0, 0)},
        ZoneCase{
            "LastSummerNight", {2026, 10, 25, 1, 30, 0, 0}, UtcSeconds(2026, 10, 24, 23, 30, 0)},
        ZoneCase{
            "FirstSummerMorning", {2026, 3, 29, 3, 30, 0, 0}, UtcSeconds(2026, 3, 29, 1, 30, 0)},
        ZoneCase{"WinterOf1990", {1990, 1, 10, 8, 0, 0, 0}, UtcSeconds(1990, 1, 10, 7, 0, 0)}),
    [](const auto& info) { return std::string(info.param.label); });

class Refused : public InDaylightSavingZone, public ::testing::WithParamInterface<cases::Writer> {};

TEST_P(Refused, DirectoryFails) {
    TempDir dir;
    const std::string path = dir / "sub";
    ASSERT_TRUE(std::filesystem::create_directory(std::u8string(path.begin(), path.end())));
    const std::optional<LocalDateTime> before = GetParam().get(path);
    ASSERT_TRUE(before.has_value());

    EXPECT_FALSE(GetParam().set(path, {2020, 1, 1}, {2020, 1, 1, 1, 2, 4}));

    EXPECT_EQ(GetParam().get(path), before);
}

INSTANTIATE_TEST_SUITE_P(Table, Refused, ::testing::Values(kCreation, kModify),
                         [](const auto& info) { return std::string(info.param.label); });

struct SummaryCase {
    const char* label;
    bool directory;
    AttributeSet attributes; // -1: left as created
};

class SummaryOfAFile : public InDaylightSavingZone,
                       public ::testing::WithParamInterface<SummaryCase> {};

TEST_P(SummaryOfAFile, AgreesWithTheSingleReaders) {
    const SummaryCase& c = GetParam();
    TempDir dir;
    const std::string path = dir / "entry";
    if (c.directory) {
        ASSERT_TRUE(std::filesystem::create_directory(std::u8string(path.begin(), path.end())));
    } else {
        WriteFile(path, "x");
    }
    if (c.attributes >= 0) {
        ASSERT_TRUE(ApplyAttributes(path, c.attributes));
    }
    if (!c.directory && c.attributes < 0) {
        ASSERT_TRUE(SetModifyTime(path, {2004, 4, 4}, {2000, 1, 1, 4, 4, 4}));
    }

    const FileSummary summary = ReadFileSummary(path);

    EXPECT_EQ(summary.attributes, ReadAttributes(path));
    EXPECT_EQ(summary.creationTime, GetCreationTime(path));
    EXPECT_EQ(summary.modifyTime, GetModifyTime(path));
    EXPECT_TRUE(summary.creationTime.has_value());
    EXPECT_TRUE(summary.modifyTime.has_value());
    // A row's read gives the same, once its times are made local, with the stamp a run's
    // journal takes from it.
    FileLayer files;
    const FileSummaryAndStamp both = files.ReadFileSummaryAndStamp(path);
    EXPECT_EQ(both.summary.attributes, summary.attributes);
    ASSERT_TRUE(both.summary.creationTime && both.summary.modifyTime);
    EXPECT_EQ(files.LocalTimeOf(*both.summary.creationTime), summary.creationTime);
    EXPECT_EQ(files.LocalTimeOf(*both.summary.modifyTime), summary.modifyTime);
    ASSERT_TRUE(both.stamp);
    EXPECT_EQ(both.stamp->identity, ReadFileStamp(path)->identity);
    EXPECT_EQ(both.stamp->fingerprint, ReadFileStamp(path)->fingerprint);
}

INSTANTIATE_TEST_SUITE_P(Table, SummaryOfAFile,
                         ::testing::Values(SummaryCase{"PlainWithModifyTime", false, -1},
                                           SummaryCase{"ReadOnlyArchived", false, 0x21},
                                           SummaryCase{"HiddenSystem", false, 0x06},
                                           SummaryCase{"Directory", true, -1}),
                         [](const auto& info) { return std::string(info.param.label); });

// Undo's writer puts back, on a read-only file, both times as they were to the precision the
// volume keeps, and keeps a modification time that is no longer what the run left.
TEST(PortableExactMetadata, PutsBackBothTimesAndKeepsALaterEdit) {
    TempDir dir;
    const std::string path = NewFile(dir, "a.txt");
    std::optional<ExactMetadata> before = ReadExactMetadata(path);
    ASSERT_TRUE(before && SetModifyTime(path, {2004, 4, 4}, {2000, 1, 1, 4, 4, 4}));
    ASSERT_TRUE(ApplyAttributes(path, kReadOnly));
    const std::optional<ExactMetadata> runLeft = ReadExactMetadata(path);
    before->creation.reset();
    EXPECT_TRUE(RestoreExactMetadata(path, *before, *runLeft).ok);
    EXPECT_EQ(test::ReadRawTimes(path), kOldTimes);
    EXPECT_EQ(ReadAttributes(path), before->attributes);

    ExactMetadata edited = *runLeft;
    edited.modify->seconds += 1;
    const MetadataRestore kept = RestoreExactMetadata(path, *runLeft, edited);
    EXPECT_TRUE(kept.ok && kept.modifyKept);
    EXPECT_EQ(test::ReadRawTimes(path), kOldTimes);
}

} // namespace
} // namespace tarvolin
