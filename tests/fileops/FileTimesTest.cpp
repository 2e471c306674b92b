#include "DosAttribBlob.h"
#include "FileMode.h"
#include "FileOps.h"
#include "Platform.h"
#include "Privileges.h"
#include "SambaBlobs.h"
#include "ScratchMount.h"
#include "SharedCases.h"
#include "TempDir.h"
#include "TimeZone.h"

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvolin {
namespace {

using test::ModeOf;
using test::TempDir;
using test::WriteFile;

// A zone with daylight saving, so that a conversion by the wrong offset shows.
constexpr const char* kZone = "Europe/Berlin";

class InZone : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::TimeZoneInstalled(kZone)) << "tzdata missing"; }
    test::TimeZoneScope zone_{kZone};
};

using cases::kCreation;
using cases::kModify;
using cases::Writer;

// Everything the writers could disturb, read straight from the disk.
struct DiskTimes {
    timespec access;
    timespec modify;
    std::optional<test::Bytes> xattr;
    std::optional<LocalDateTime> creation;

    bool operator==(const DiskTimes& other) const {
        return access.tv_sec == other.access.tv_sec && access.tv_nsec == other.access.tv_nsec &&
               modify.tv_sec == other.modify.tv_sec && modify.tv_nsec == other.modify.tv_nsec &&
               xattr == other.xattr && creation == other.creation;
    }
};

DiskTimes ReadDiskTimes(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return DiskTimes{st.st_atim, st.st_mtim, test::ReadDosAttribXattr(path), GetCreationTime(path)};
}

// Fixed, distinctive times that no writer under test would produce by itself.
void SetRawTimes(const std::string& path, time_t access, time_t modify) {
    const timespec times[2] = {{access, 123'000'000}, {modify, 456'000'000}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

LocalDateTime LocalOf(time_t seconds, int millisecond) {
    std::tm local{};
    EXPECT_NE(localtime_r(&seconds, &local), nullptr);
    return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min,         local.tm_sec,     millisecond};
}

struct ZoneCase {
    const char* label;
    LocalDateTime local;
    int utcYear, utcMonth, utcDay, utcHour, utcMinute;
};

class OffsetOfTheDate : public InZone, public ::testing::WithParamInterface<ZoneCase> {};

// Summer and winter dates both convert by their own offset, whatever today's offset is; the
// modify time's conversion runs in PortableFileTimesTest.cpp. A time outside the DOS range
// leaves the xattr as it was (OnEveryVolume.ATimeOutsideTheDosRangeFailsAndChangesNothing).
TEST_P(OffsetOfTheDate, CreationTimeInXattrIsTheMatchingUtc) {
    const ZoneCase& c = GetParam();
    TempDir dir;
    const std::string path = dir / "file.txt";
    WriteFile(path, "x");

    ASSERT_TRUE(SetCreationTime(path, c.local, c.local));

    const std::optional<test::Bytes> raw = test::ReadDosAttribXattr(path);
    ASSERT_TRUE(raw.has_value());
    const std::optional<DosAttrib> stored = ParseDosAttrib(*raw);
    ASSERT_TRUE(stored.has_value());
    const time_t utc = test::UtcSeconds(c.utcYear, c.utcMonth, c.utcDay, c.utcHour, c.utcMinute, 0);
    EXPECT_EQ(stored->createTime, NtTimeFromUnix(utc, 0));
    EXPECT_EQ(GetCreationTime(path), c.local);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OffsetOfTheDate,
    ::testing::Values(
        ZoneCase{"Summer", {2026, 7, 15, 14, 0, 0, 0}, 2026, 7, 15, 12, 0},
        ZoneCase{"Winter", {2026, 12, 15, 14, 0, 0, 0}, 2026, 12, 15, 13, 0},
        ZoneCase{"LastSummerNight", {2026, 10, 25, 1, 30, 0, 0}, 2026, 10, 24, 23, 30},
        ZoneCase{"FirstSummerMorning", {2026, 3, 29, 3, 30, 0, 0}, 2026, 3, 29, 1, 30}),
    [](const auto& info) { return std::string(info.param.label); });

// What the modify time's writer does to the times runs in VolumeContractTest.cpp; here,
// that it leaves the file without a DOS attribute xattr.
TEST_F(InZone, SetModifyTimeWritesNoXattr) {
    TempDir dir;
    const std::string path = dir / "file.txt";
    WriteFile(path, "x");
    SetRawTimes(path, 1'000'000'000, 1'100'000'000);

    ASSERT_TRUE(SetModifyTime(path, {2020, 6, 1}, {2000, 1, 1, 10, 20, 30}));

    EXPECT_FALSE(test::ReadDosAttribXattr(path).has_value());
}

struct KeepCase {
    const char* label;
    std::string name;
    AttributeSet applied; // -1: leave the file as created
    AttributeSet expected;
};

class CreationTimeKeepsAttributes : public InZone,
                                    public ::testing::WithParamInterface<KeepCase> {};

TEST_P(CreationTimeKeepsAttributes, AndLeavesAccessAndModifyAlone) {
    const KeepCase& c = GetParam();
    TempDir dir;
    const std::string path = dir / c.name;
    WriteFile(path, "x");
    if (c.applied >= 0) {
        ASSERT_TRUE(ApplyAttributes(path, c.applied));
    }
    SetRawTimes(path, 1'000'000'000, 1'100'000'000);
    const DiskTimes before = ReadDiskTimes(path);

    ASSERT_TRUE(SetCreationTime(path, {2011, 11, 11}, {2000, 1, 1, 11, 11, 10}));

    const DiskTimes after = ReadDiskTimes(path);
    EXPECT_EQ(ReadAttributes(path), c.expected);
    EXPECT_EQ(after.creation, (LocalDateTime{2011, 11, 11, 11, 11, 10}));
    EXPECT_EQ(after.access.tv_sec, before.access.tv_sec);
    EXPECT_EQ(after.access.tv_nsec, before.access.tv_nsec);
    EXPECT_EQ(after.modify.tv_sec, before.modify.tv_sec);
    EXPECT_EQ(after.modify.tv_nsec, before.modify.tv_nsec);
}

INSTANTIATE_TEST_SUITE_P(Table, CreationTimeKeepsAttributes,
                         ::testing::Values(KeepCase{"PlainFile", "plain", -1, 0},
                                           KeepCase{"DotFileStaysHidden", ".dot", -1, kHidden},
                                           KeepCase{"DotFileMadeVisible", ".dot", 0, 0},
                                           KeepCase{"ArchiveOnly", "archived", kArchive, kArchive}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(InZone, CreationTimeKeepsBitsOfASambaBlob) {
    TempDir dir;
    const std::string path = dir / "samba";
    WriteFile(path, "x");
    ASSERT_TRUE(test::WriteDosAttribXattr(
        path, test::Version5Blob(test::kValidAttrib | test::kValidCreateTime, 0x26, 1)));

    ASSERT_TRUE(SetCreationTime(path, {2015, 5, 5}, {2000, 1, 1, 5, 5, 4}));

    EXPECT_EQ(ReadAttributes(path), 0x26);
    EXPECT_EQ(GetCreationTime(path), (LocalDateTime{2015, 5, 5, 5, 5, 4}));
}

enum class ReadOnlyBy { Mode, XattrOnly, ApplyAttributes };

struct RefusalCase {
    const char* label;
    ReadOnlyBy how;
};

class ReadOnlyFile : public InZone,
                     public ::testing::WithParamInterface<std::tuple<Writer, RefusalCase>> {};

void MakeReadOnly(const std::string& path, ReadOnlyBy how) {
    switch (how) {
    case ReadOnlyBy::Mode:
        ASSERT_EQ(chmod(path.c_str(), 0444), 0);
        break;
    case ReadOnlyBy::XattrOnly: // Samba's default: the mode stays writable
        ASSERT_TRUE(test::WriteDosAttribXattr(path, test::BareHexBlob("0x21", true)));
        break;
    case ReadOnlyBy::ApplyAttributes:
        ASSERT_TRUE(ApplyAttributes(path, kReadOnly | kHidden));
        break;
    }
}

// Setting times is the owner's right, not the writer's: a read-only file takes them, and
// stays read-only, wherever its read-only bit lives.
TEST_P(ReadOnlyFile, OwnerWritesItsTimeAndItStaysReadOnly) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << "changing users needs root";
    const auto& [writer, c] = GetParam();
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const std::string path = dir / "locked.txt";
    WriteFile(path, "x");
    ASSERT_EQ(chown(path.c_str(), test::kNobody, test::kNobody), 0);
    MakeReadOnly(path, c.how);
    const AttributeSet attributes = ReadAttributes(path);
    const mode_t mode = ModeOf(path);

    EXPECT_EQ(test::RunAsNobody([&] {
                  return writer.set(path, {2020, 1, 1}, {2000, 1, 1, 12, 0, 1});
              }),
              true);

    EXPECT_EQ(writer.get(path), (LocalDateTime{2020, 1, 1, 12, 0, 0}));
    EXPECT_EQ(ReadAttributes(path), attributes);
    EXPECT_EQ(ModeOf(path), mode);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadOnlyFile,
    ::testing::Combine(::testing::Values(kCreation, kModify),
                       ::testing::Values(RefusalCase{"ByMode", ReadOnlyBy::Mode},
                                         RefusalCase{"ByXattrOnly", ReadOnlyBy::XattrOnly},
                                         RefusalCase{"ByApplyAttributes",
                                                     ReadOnlyBy::ApplyAttributes})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).label) + std::get<1>(info.param).label;
    });

// A FIFO is never opened: a reader waiting on it would otherwise see a writer come and go.
// The reader waits in open() (its system call shows in /proc) while the time is asked for;
// then this test writes one byte, which the reader must be the first to get.
TEST_F(InZone, TimesOfAFifoAreRefusedWithoutOpeningIt) {
    TempDir dir;
    const std::string path = dir / "pipe";
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    const pid_t reader = fork();
    if (reader == 0) {
        const int fd = open(path.c_str(), O_RDONLY);
        char byte = 0;
        _exit(fd >= 0 && read(fd, &byte, 1) == 1 && byte == 'x' ? 0 : 1);
    }
    const std::string waiting = "/proc/" + std::to_string(reader) + "/syscall";
    for (std::string state;
         (state = test::ReadFile(waiting)).rfind(std::to_string(SYS_openat) + " ", 0) != 0;) {
        if (state.empty()) { // a kernel without the file: the wait cannot be seen
            kill(reader, SIGKILL);
            waitpid(reader, nullptr, 0);
            GTEST_SKIP() << waiting << " cannot be read here";
        }
        ASSERT_EQ(waitpid(reader, nullptr, WNOHANG), 0) << "the reader ended early";
        sched_yield();
    }

    EXPECT_FALSE(SetModifyTime(path, {2019, 9, 9}, {2000, 1, 1, 9, 9, 8}));
    EXPECT_FALSE(SetCreationTime(path, {2019, 9, 9}, {2000, 1, 1, 9, 9, 8}));

    const int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, "x", 1), 1);
    close(writer);
    int status = 0;
    ASSERT_EQ(waitpid(reader, &status, 0), reader);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the reader saw the end of the data first";
}

TEST_F(InZone, TimesAreNotWrittenThroughASymbolicLink) {
    TempDir dir;
    WriteFile(dir / "target.txt", "x");
    ASSERT_EQ(symlink((dir / "target.txt").c_str(), (dir / "link").c_str()), 0);
    const std::optional<LocalDateTime> before = GetModifyTime(dir / "target.txt");

    EXPECT_FALSE(SetModifyTime(dir / "link", {2019, 9, 9}, {2000, 1, 1, 9, 9, 8}));
    EXPECT_FALSE(SetCreationTime(dir / "link", {2019, 9, 9}, {2000, 1, 1, 9, 9, 8}));
    EXPECT_EQ(GetModifyTime(dir / "target.txt"), before);
}

TEST_F(InZone, CreationTimeWithoutXattrIsTheBirthTime) {
    TempDir dir;
    const std::string path = dir / "born";
    WriteFile(path, "x");
    SetRawTimes(path, 1'000'000'000, 1'100'000'000); // both older than the birth
    struct statx st {};
    ASSERT_EQ(statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &st), 0);
    ASSERT_TRUE(st.stx_mask & STATX_BTIME) << "this file system records no birth time";

    EXPECT_EQ(GetCreationTime(path),
              LocalOf(st.stx_btime.tv_sec, static_cast<int>(st.stx_btime.tv_nsec / 1'000'000)));
}

// ramfs records no birth time; what is left is the oldest time the inode carries.
TEST_F(InZone, CreationTimeWithoutBirthTimeIsTheEarliestInodeTime) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << "mounting needs root";
    test::ScratchVolume volume("ramfs");
    ASSERT_TRUE(volume.mounted());
    const std::string path = volume / "file";
    WriteFile(path, "x");
    struct statx st {};
    ASSERT_EQ(statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &st), 0);
    ASSERT_FALSE(st.stx_mask & STATX_BTIME) << "ramfs now records birth times";

    const std::pair<time_t, time_t> accessAndModify[] = {{1'000'000'000, 1'100'000'000},
                                                         {1'200'000'000, 1'050'000'000}};
    for (const auto& [access, modify] : accessAndModify) {
        SetRawTimes(path, access, modify);
        const bool accessFirst = access < modify;
        const std::optional<LocalDateTime> expected =
            accessFirst ? std::optional(LocalOf(access, 123)) : std::optional(LocalOf(modify, 456));
        EXPECT_EQ(GetCreationTime(path), expected) << access << " " << modify;
    }
}

TEST_F(InZone, FileNamedWithAStarIsFoundAsItself) {
    TempDir dir;
    WriteFile(dir / "ab", "x");
    WriteFile(dir / "a*", "y");
    SetRawTimes(dir / "ab", 1'000'000'000, 1'200'000'000);
    SetRawTimes(dir / "a*", 1'000'000'000, 1'300'000'000);

    const std::optional<LocalDateTime> star = GetModifyTime(dir / "a*");
    const std::optional<LocalDateTime> plain = GetModifyTime(dir / "ab");

    ASSERT_TRUE(star.has_value());
    ASSERT_TRUE(plain.has_value());
    EXPECT_NE(*star, *plain);
    EXPECT_EQ(star->millisecond, 456);
}

} // namespace
} // namespace tarvolin
