#include "CountedSystemCalls.h"
#include "FileOps.h"
#include "SambaBlobs.h"
#include "TempDir.h"
#include "TimeZone.h"

#include <gtest/gtest.h>

namespace tarvolin {
namespace {

using test::TempDir;
using test::WriteFile;

struct SummaryCase {
    const char* label;
    std::string name;
    void (*prepare)(const std::string& path);
};

void PlainFile(const std::string& path) {
    WriteFile(path, "x");
}

void WithCreationTime(const std::string& path) {
    WriteFile(path, "x");
    ASSERT_TRUE(ApplyAttributes(path, kHidden | kSystem));
    ASSERT_TRUE(SetCreationTime(path, {2003, 3, 3}, {2000, 1, 1, 3, 3, 2}));
    ASSERT_TRUE(SetModifyTime(path, {2004, 4, 4}, {2000, 1, 1, 4, 4, 4}));
}

void SambaVersion5(const std::string& path) {
    WriteFile(path, "x");
    ASSERT_TRUE(test::WriteDosAttribXattr(
        path, test::Version5Blob(test::kValidAttrib | test::kValidCreateTime, 0x27,
                                 130'000'000'000'000'000)));
}

// Read-only, hidden and system files, directories and missing files run in
// PortableFileTimesTest.cpp; here the entries a POSIX volume with xattrs adds.
class SummaryAgrees : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(SummaryAgrees, WithTheSingleReaders) {
    const SummaryCase& c = GetParam();
    const test::TimeZoneScope zone("Europe/Berlin");
    TempDir dir;
    const std::string path = dir / c.name;
    c.prepare(path);

    const FileSummary summary = ReadFileSummary(path);

    EXPECT_EQ(summary.attributes, ReadAttributes(path));
    EXPECT_EQ(summary.creationTime, GetCreationTime(path));
    EXPECT_EQ(summary.modifyTime, GetModifyTime(path));
    EXPECT_TRUE(summary.modifyTime.has_value());
    EXPECT_TRUE(summary.creationTime.has_value());
}

INSTANTIATE_TEST_SUITE_P(Table, SummaryAgrees,
                         ::testing::Values(SummaryCase{"Plain", "plain", PlainFile},
                                           SummaryCase{"DotFile", ".dot", PlainFile},
                                           SummaryCase{"StoredCreationTime", "timed",
                                                       WithCreationTime},
                                           SummaryCase{"SambaVersion5", "samba", SambaVersion5}),
                         [](const auto& info) { return std::string(info.param.label); });

// After every batch run the whole list is read again, so each row may cost one statx and one
// getxattr; asking the file system type is paid once per volume, not per file, by the layer
// the list reads through.
TEST(ReadFileSummary, CostsOneStatxAndOneGetxattrPerFileWithTheStampOrWithout) {
    constexpr int kFiles = 50;
    TempDir dir;
    FileLayer files; // the list's, which learns the volume with the first file
    for (int i = 0; i < kFiles; ++i) {
        WriteFile(dir / std::to_string(i), "x");
        if (i % 2 == 0) {
            ASSERT_TRUE(files.ApplyAttributes(dir / std::to_string(i), kHidden | kArchive));
        }
    }

    test::ResetSystemCallCounts();
    for (int i = 0; i < kFiles; ++i)
        ASSERT_NE(files.ReadFileSummary(dir / std::to_string(i)).attributes, kUnreadableAttributes);
    const test::SystemCallCounts counts = test::CurrentSystemCallCounts();

    EXPECT_EQ(counts.statx, kFiles);
    EXPECT_EQ(counts.getxattr, kFiles);
    EXPECT_LE(counts.statfs, 1);

    // The row's read gives the file's stamp for nothing more, so a run need not read it again.
    test::ResetSystemCallCounts();
    for (int i = 0; i < kFiles; ++i)
        ASSERT_TRUE(files.ReadFileSummaryAndStamp(dir / std::to_string(i)).stamp);
    const test::SystemCallCounts both = test::CurrentSystemCallCounts();
    EXPECT_EQ(both.statx, kFiles);
    EXPECT_EQ(both.getxattr, kFiles);
    EXPECT_LE(both.statfs, 1);
    const FileSummaryAndStamp read = files.ReadFileSummaryAndStamp(dir / "1");
    EXPECT_EQ(read.stamp->identity, files.ReadFileStamp(dir / "1")->identity);
    EXPECT_EQ(read.stamp->fingerprint, files.ReadFileStamp(dir / "1")->fingerprint);
    EXPECT_EQ(read.summary.attributes, files.ReadFileSummary(dir / "1").attributes);
}

} // namespace
} // namespace tarvolin
