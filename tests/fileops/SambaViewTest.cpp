// What a Windows client sees of files the program changed on a Linux share: a real smbd
// serves a directory of the test's, and Samba's own client reports the attributes and the
// creation time Samba hands out. Samba runs with its defaults, among them
// `map readonly = no`: read-only then lives only in `user.DOSATTRIB`, never in the mode.
#include "DosAttribBlob.h"
#include "FileOps.h"
#include "SambaBlobs.h"
#include "SambaServer.h"
#include "TempDir.h"
#include "TimeZone.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace tarvolin {
namespace {

using test::WriteFile;

// Windows reports a file without any attribute as "normal", a bit of its own.
constexpr std::uint32_t kNormal = 0x80;
constexpr std::size_t kVersionOffset = 2; // after the empty hex text and its padding

std::uint32_t AsWindowsReportsIt(AttributeSet bits) {
    return bits == 0 ? kNormal : static_cast<std::uint32_t>(bits);
}

class SambaView : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string why = test::WhySambaCannotRun();
        if (!why.empty())
            GTEST_SKIP() << why;
        server_ = std::make_unique<test::SambaServer>(dir_.path());
        ASSERT_TRUE(server_->running()) << server_->log();
    }

    test::SambaServer& server() { return *server_; }

    // The times are written and compared in UTC, as the client reports them.
    test::TimeZoneScope zone_{"UTC"};
    test::TempDir dir_;
    std::unique_ptr<test::SambaServer> server_;
};

struct WrittenCase {
    const char* name;
    AttributeSet bits;
    bool withCreationTime;
};

// The creation time goes last, so a read-only file is seen with it too.
TEST_F(SambaView, ClientSeesExactlyTheAttributesAndCreationTimeWritten) {
    const WrittenCase table[] = {{"hidden-system", kHidden | kSystem, true},
                                 {"read-only", kReadOnly, false},
                                 {"read-only-timed", kReadOnly, true},
                                 {"archive", kArchive, false},
                                 {"all-four", kFourAttributes, true},
                                 {"none", 0, false},
                                 {"none-timed", 0, true}};
    const LocalDateTime created{2011, 11, 11, 11, 11, 10};
    const std::int64_t createdUtc = 1321009870; // 2011-11-11 11:11:10 UTC
    for (const WrittenCase& c : table) {
        const std::string path = server() / c.name;
        WriteFile(path, "x");
        ASSERT_TRUE(ApplyAttributes(path, c.bits)) << c.name;
        if (c.withCreationTime) {
            ASSERT_TRUE(SetCreationTime(path, created, created)) << c.name;
        }

        const std::optional<test::SambaFileInfo> seen = server().AllInfo(c.name);

        ASSERT_TRUE(seen.has_value()) << server().log();
        EXPECT_EQ(seen->attributes, AsWindowsReportsIt(c.bits)) << c.name;
        if (c.withCreationTime) {
            EXPECT_EQ(seen->createTime, createdUtc) << c.name;
        }
    }
}

// Samba rewrites the value in its own newer form (version 5) when it changes the bits; the
// program reads that form back, with Samba's change and the creation time written before.
TEST_F(SambaView, ChangesMadeThroughSambaAreReadBack) {
    const std::string path = server() / "file.txt";
    WriteFile(path, "x");
    const LocalDateTime created{2011, 11, 11, 11, 11, 10};
    ASSERT_TRUE(SetCreationTime(path, created, created));
    ASSERT_TRUE(ApplyAttributes(path, kHidden | kSystem));

    const test::ProgramResult plusReadOnly = server().Client("setmode file.txt +r");
    ASSERT_EQ(plusReadOnly.exitCode, 0) << plusReadOnly.output;

    const std::optional<test::Bytes> blob = test::ReadDosAttribXattr(path);
    ASSERT_TRUE(blob.has_value());
    ASSERT_GT(blob->size(), kVersionOffset);
    EXPECT_EQ((*blob)[kVersionOffset], 5) << "Samba wrote another form than version 5";
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u) << "map readonly = no leaves the mode alone";
    EXPECT_EQ(ReadAttributes(path), kReadOnly | kHidden | kSystem);
    EXPECT_EQ(GetCreationTime(path), created);
    EXPECT_EQ(ReadFileSummary(path).attributes, kReadOnly | kHidden | kSystem);

    const test::ProgramResult minusHidden = server().Client("setmode file.txt -h");
    ASSERT_EQ(minusHidden.exitCode, 0) << minusHidden.output;
    EXPECT_EQ(ReadAttributes(path), kReadOnly | kSystem);
    EXPECT_EQ(GetCreationTime(path), created);
}

// A file a client made read-only through Samba takes new times, as it would from the client,
// and stays read-only for the client.
TEST_F(SambaView, ReadOnlySetThroughSambaTakesNewTimes) {
    const std::string path = server() / "file.txt";
    WriteFile(path, "x");
    const test::ProgramResult readOnly = server().Client("setmode file.txt +r");
    ASSERT_EQ(readOnly.exitCode, 0) << readOnly.output;

    EXPECT_TRUE(SetModifyTime(path, {2020, 1, 1}, {2000, 1, 1, 12, 0, 0}));
    EXPECT_TRUE(SetCreationTime(path, {2020, 1, 1}, {2000, 1, 1, 12, 0, 0}));

    const std::optional<test::SambaFileInfo> seen = server().AllInfo("file.txt");
    ASSERT_TRUE(seen.has_value()) << server().log();
    EXPECT_EQ(seen->attributes & kReadOnly, kReadOnly);
    EXPECT_EQ(seen->createTime, 1577880000); // 2020-01-01 12:00:00 UTC
}

// A creation time a Windows client sets through Samba is the one the program reads.
TEST_F(SambaView, CreationTimeSetThroughSambaIsRead) {
    WriteFile(server() / "file.txt", "x");

    const test::ProgramResult set = server().Client("utimes file.txt 2012:06:06-06:06:06 -1 -1 -1");
    ASSERT_EQ(set.exitCode, 0) << set.output;

    EXPECT_EQ(GetCreationTime(server() / "file.txt"), (LocalDateTime{2012, 6, 6, 6, 6, 6}));
    const std::optional<test::SambaFileInfo> seen = server().AllInfo("file.txt");
    ASSERT_TRUE(seen.has_value()) << server().log();
    EXPECT_EQ(seen->createTime, 1338962766); // 2012-06-06 06:06:06 UTC
}

TEST_F(SambaView, ModifyTimeWrittenIsTheClientsWriteTime) {
    const std::string path = server() / "file.txt";
    WriteFile(path, "x");
    ASSERT_TRUE(SetModifyTime(path, {2012, 6, 6}, {2000, 1, 1, 6, 6, 6}));

    const std::optional<test::SambaFileInfo> seen = server().AllInfo("file.txt");

    ASSERT_TRUE(seen.has_value()) << server().log();
    EXPECT_EQ(seen->writeTime, 1338962766); // 2012-06-06 06:06:06 UTC
}

} // namespace
} // namespace tarvolin
