#include "FileOps.h"
#include "Privileges.h"
#include "ScratchMount.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {
namespace {

using test::Exists;
using test::ListDir;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

TEST(NativePathSyntax, IsPosix) {
    EXPECT_EQ(NativePathSyntax(), PathSyntax::Posix);
}

// A symbolic link holding the new name is an entry like any other and may not be replaced;
// the other kinds of occupant run in VolumeContractTest.cpp.
struct OccupiedCase {
    const char* label;
    const char* linkTarget;
};

class TargetTaken : public ::testing::TestWithParam<OccupiedCase> {};

TEST_P(TargetTaken, FailsAndLeavesBothEntriesIntact) {
    const OccupiedCase& c = GetParam();
    TempDir dir;
    WriteFile(dir / "source", "source content");
    ASSERT_EQ(symlink(c.linkTarget, (dir / "target").c_str()), 0);
    const struct stat sourceBefore = StatOf(dir / "source");
    const struct stat targetBefore = StatOf(dir / "target");

    EXPECT_FALSE(RenameOnDisk(dir / "source", dir / "target"));

    EXPECT_EQ(ListDir(dir.path()), (Names{"source", "target"}));
    EXPECT_EQ(StatOf(dir / "source").st_ino, sourceBefore.st_ino);
    EXPECT_EQ(StatOf(dir / "target").st_ino, targetBefore.st_ino);
    EXPECT_EQ(ReadFile(dir / "source"), "source content");
}

INSTANTIATE_TEST_SUITE_P(Table, TargetTaken,
                         ::testing::Values(OccupiedCase{"FileOntoDanglingSymlink", "nowhere"},
                                           OccupiedCase{"FileOntoSymlinkToItself", "source"}),
                         [](const auto& info) { return std::string(info.param.label); });

// The rest of what an identical path must leave alone is checked in VolumeContractTest.cpp.
TEST(RenameOnDisk, IdenticalPathLeavesTheChangeTimeAlone) {
    TempDir dir;
    WriteFile(dir / "same.txt", "kept");
    const struct stat before = StatOf(dir / "same.txt");

    EXPECT_TRUE(RenameOnDisk(dir / "same.txt", dir / "same.txt"));

    const struct stat after = StatOf(dir / "same.txt");
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
}

// Other spellings of the very same directory entry are no other file; the spellings every
// platform takes run in PortableRenameTest.cpp.
struct SpellingCase {
    const char* label;
    std::string oldSpelling; // relative to the temp dir, which holds sub/b.txt
    std::string newSpelling;
};

class SameEntrySpelledOtherwise : public ::testing::TestWithParam<SpellingCase> {};

TEST_P(SameEntrySpelledOtherwise, SucceedsAndChangesNothing) {
    const SpellingCase& c = GetParam();
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    ASSERT_EQ(symlink("sub", (dir / "link").c_str()), 0);
    WriteFile(dir / "sub/b.txt", "kept");
    const struct stat before = StatOf(dir / "sub/b.txt");

    EXPECT_TRUE(RenameOnDisk(dir / c.oldSpelling, dir / c.newSpelling));

    EXPECT_EQ(ListDir(dir / "sub"), Names{"b.txt"});
    EXPECT_EQ(StatOf(dir / "sub/b.txt").st_ino, before.st_ino);
    EXPECT_EQ(ReadFile(dir / "sub/b.txt"), "kept");
}

INSTANTIATE_TEST_SUITE_P(Table, SameEntrySpelledOtherwise,
                         ::testing::Values(SpellingCase{"DoubleSlash", "sub//b.txt", "sub/b.txt"},
                                           SpellingCase{"ThroughSymlinkedDirectory", "link/b.txt",
                                                        "sub/b.txt"}),
                         [](const auto& info) { return std::string(info.param.label); });

// A hard link is a separate entry: renaming onto it would change nothing, so it must fail.
// A second name in another letter case needs a case-sensitive volume; the other hard-link
// cases run in VolumeContractTest.cpp.
TEST(RenameOnDisk, HardLinkInAnotherLetterCaseIsRefusedAndBothNamesStay) {
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    WriteFile(dir / "sub/a.txt", "shared");
    ASSERT_EQ(link((dir / "sub/a.txt").c_str(), (dir / "sub/A.TXT").c_str()), 0);

    EXPECT_FALSE(RenameOnDisk(dir / "sub/a.txt", dir / "sub/A.TXT"));
    EXPECT_FALSE(RenameOnDisk(dir / "sub/A.TXT", dir / "sub/a.txt"));

    EXPECT_TRUE(Exists(dir / "sub/a.txt"));
    EXPECT_TRUE(Exists(dir / "sub/A.TXT"));
    EXPECT_EQ(StatOf(dir / "sub/a.txt").st_nlink, 2u);
}

TEST(RenameOnDisk, RefusesToMoveToAnotherVolume) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << "mounting a second volume needs root";
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "mnt").c_str(), 0755), 0);
    test::ScratchMount volume(dir / "mnt", "tmpfs", "size=1m");
    ASSERT_TRUE(volume.mounted());
    WriteFile(dir / "a.txt", "stays");

    EXPECT_FALSE(RenameOnDisk(dir / "a.txt", volume / "a.txt"));

    EXPECT_EQ(ReadFile(dir / "a.txt"), "stays");
    EXPECT_TRUE(ListDir(volume.path()).empty());
}

} // namespace
} // namespace tarvolin
