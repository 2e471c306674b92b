// What only the Windows backend has to get right: its path syntax, paths beyond MAX_PATH,
// UTF-8 that cannot become UTF-16, and files that another program holds open.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "FileOps.h"
#include "Platform.h"
#include "TempDir.h"
#include "TimeZone.h"

#include <gtest/gtest.h>
#include <vector>
#include <windows.h>

namespace tarvolin {
namespace {

using test::TempDir;
using test::Wide;
using test::WriteFile;

std::wstring LongForm(const std::string& path) {
    return L"\\\\?\\" + Wide(path);
}

bool Found(const std::string& path) {
    return GetFileAttributesW(LongForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(Win32FileOps, PathSyntaxIsWindows) {
    EXPECT_EQ(NativePathSyntax(), PathSyntax::Windows);
}

// A directory chain that takes the path past MAX_PATH. The classic calls cannot reach into
// it, so the test builds and removes it through the \\?\ form itself.
class BeyondMaxPath : public ::testing::Test {
protected:
    void SetUp() override {
        std::string path = dir_.path();
        while (path.size() < MAX_PATH + 40) {
            path += "\\" + std::string(60, static_cast<char>('a' + levels_.size()));
            ASSERT_TRUE(CreateDirectoryW(LongForm(path).c_str(), nullptr)) << GetLastError();
            levels_.push_back(path);
        }
        deep_ = path;
        const HANDLE file = CreateFileW(LongForm(deep_ + "\\a.txt").c_str(), GENERIC_WRITE, 0,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
        CloseHandle(file);
    }

    void TearDown() override {
        for (const char* name : {"\\a.txt", "\\b.txt"}) {
            SetFileAttributesW(LongForm(deep_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(LongForm(deep_ + name).c_str());
        }
        for (auto level = levels_.rbegin(); level != levels_.rend(); ++level)
            RemoveDirectoryW(LongForm(*level).c_str());
    }

    TempDir dir_;
    std::vector<std::string> levels_;
    std::string deep_;
};

TEST_F(BeyondMaxPath, EveryOperationReachesTheFile) {
    const std::string a = deep_ + "\\a.txt";
    const std::string b = deep_ + "\\b.txt";
    ASSERT_GT(a.size(), static_cast<std::size_t>(MAX_PATH));

    ASSERT_TRUE(RenameOnDisk(a, b));
    EXPECT_FALSE(Found(a));
    EXPECT_TRUE(Found(b));

    ASSERT_TRUE(ApplyAttributes(b, kHidden | kArchive));
    EXPECT_EQ(ReadAttributes(b), kHidden | kArchive);
    ASSERT_TRUE(SetModifyTime(b, {2020, 6, 1}, {2000, 1, 1, 10, 20, 30}));
    EXPECT_EQ(GetModifyTime(b), (LocalDateTime{2020, 6, 1, 10, 20, 30}));
    EXPECT_TRUE(GetCreationTime(b).has_value());
    EXPECT_EQ(ReadFileSummary(b).attributes, kHidden | kArchive);
}

TEST_F(BeyondMaxPath, ForwardSlashesAndDotStepsAreResolved) {
    std::string slashed = deep_ + "\\a.txt";
    for (char& c : slashed) {
        if (c == '\\')
            c = '/';
    }
    const std::string lastLevel = deep_.substr(deep_.find_last_of('\\') + 1);
    const std::string stepped = deep_ + "\\.\\..\\" + lastLevel + "\\b.txt";

    ASSERT_TRUE(RenameOnDisk(slashed, stepped));

    EXPECT_FALSE(Found(deep_ + "\\a.txt"));
    EXPECT_TRUE(Found(deep_ + "\\b.txt"));
}

// Bytes that are no UTF-8 name no file Windows can hold; they must fail, not turn into a
// replacement character that names some other file.
TEST(Win32FileOps, InvalidUtf8NamesNothing) {
    TempDir dir;
    WriteFile(dir / "a.txt", "x");
    const std::string invalid = dir / "\xff\xfe.txt";

    EXPECT_FALSE(RenameOnDisk(dir / "a.txt", invalid));
    EXPECT_FALSE(RenameOnDisk(invalid, dir / "b.txt"));
    EXPECT_EQ(ReadAttributes(invalid), kUnreadableAttributes);
    EXPECT_FALSE(ApplyAttributes(invalid, kHidden));
    EXPECT_EQ(GetModifyTime(invalid), std::nullopt);
    EXPECT_FALSE(SetModifyTime(invalid, {2020, 1, 1}, {2000, 1, 1, 1, 1, 2}));
    EXPECT_EQ(test::ListDir(dir.path()), std::vector<std::string>{"a.txt"});
}

// Passed on, an embedded NUL would cut the path short and act on a shorter name.
TEST(Win32FileOps, EmbeddedNulNamesNothing) {
    TempDir dir;
    WriteFile(dir / "a.txt", "x");
    const std::string cut = dir / std::string("b.txt\0.exe", 10);

    EXPECT_FALSE(RenameOnDisk(dir / "a.txt", cut));
    EXPECT_EQ(ReadAttributes(dir / std::string("a.txt\0.exe", 10)), kUnreadableAttributes);
    EXPECT_EQ(test::ListDir(dir.path()), std::vector<std::string>{"a.txt"});
}

struct Holder {
    const char* label;
    DWORD access;
    DWORD share;
};

class HeldOpen : public ::testing::TestWithParam<Holder> {};

// The writers open the file with no sharing, so any other open handle refuses them.
TEST_P(HeldOpen, RefusesBothTimeWriters) {
    TempDir dir;
    const std::string path = dir / "busy.txt";
    WriteFile(path, "x");
    const test::AccessAndModify before = *test::ReadRawTimes(path);
    const HANDLE other = CreateFileW(Wide(path).c_str(), GetParam().access, GetParam().share,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE) << GetLastError();

    EXPECT_FALSE(SetModifyTime(path, {2020, 1, 1}, {2000, 1, 1, 1, 1, 2}));
    EXPECT_FALSE(SetCreationTime(path, {2020, 1, 1}, {2000, 1, 1, 1, 1, 2}));

    CloseHandle(other);
    EXPECT_EQ(test::ReadRawTimes(path), before);
    EXPECT_TRUE(SetModifyTime(path, {2020, 1, 1}, {2000, 1, 1, 1, 1, 2}));
}

INSTANTIATE_TEST_SUITE_P(Table, HeldOpen,
                         ::testing::Values(Holder{"ReaderSharingAll", GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE |
                                                      FILE_SHARE_DELETE},
                                           Holder{"WriterSharingNothing", GENERIC_WRITE, 0}),
                         [](const auto& info) { return std::string(info.param.label); });

// The creation time on disk, read past the program, is the UTC of the local time written.
TEST(Win32FileOps, CreationTimeOnDiskIsTheMatchingUtc) {
    if (!test::TimeZoneInstalled("Europe/Berlin"))
        GTEST_SKIP() << "the zone in force does not follow Europe/Berlin";
    if (test::RunningUnderWine())
        GTEST_SKIP() << "Wine does not store creation times; Windows does";
    TempDir dir;
    const std::string path = dir / "file.txt";
    WriteFile(path, "x");

    ASSERT_TRUE(SetCreationTime(path, {2026, 7, 15}, {2000, 1, 1, 14, 0, 0}));

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data));
    SYSTEMTIME utc{};
    ASSERT_TRUE(FileTimeToSystemTime(&data.ftCreationTime, &utc));
    EXPECT_EQ(utc.wYear, 2026);
    EXPECT_EQ(utc.wMonth, 7);
    EXPECT_EQ(utc.wDay, 15);
    EXPECT_EQ(utc.wHour, 12);
    EXPECT_EQ(utc.wMinute, 0);
}

} // namespace
} // namespace tarvolin
