#include "FileOps.h"
#include "Privileges.h"
#include "ScratchMount.h"
#include "SharedCases.h"
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

using cases::NamePair;

class RenameByName : public ::testing::TestWithParam<NamePair> {};

TEST_P(RenameByName, MovesTheFileAndItsContent) {
    const NamePair& c = GetParam();
    TempDir dir;
    WriteFile(dir / c.oldName, "content of " + c.oldName);

    ASSERT_TRUE(RenameOnDisk(dir / c.oldName, dir / c.newName));

    EXPECT_EQ(ListDir(dir.path()), Names{c.newName});
    EXPECT_EQ(ReadFile(dir / c.newName), "content of " + c.oldName);
}

INSTANTIATE_TEST_SUITE_P(Table, RenameByName, ::testing::ValuesIn(cases::RenameNamePairs()),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(RenameOnDisk, MovesIntoAnotherExistingDirectory) {
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    WriteFile(dir / "a.txt", "payload");

    ASSERT_TRUE(RenameOnDisk(dir / "a.txt", dir / "sub/b.txt"));

    EXPECT_EQ(ListDir(dir.path()), Names{"sub"});
    EXPECT_EQ(ReadFile(dir / "sub/b.txt"), "payload");
}

TEST(RenameOnDisk, RenamesADirectory) {
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "d1").c_str(), 0755), 0);
    WriteFile(dir / "d1/inside", "x");

    ASSERT_TRUE(RenameOnDisk(dir / "d1", dir / "d2"));

    EXPECT_EQ(ListDir(dir.path()), Names{"d2"});
    EXPECT_EQ(ReadFile(dir / "d2/inside"), "x");
}

TEST(RenameOnDisk, FailsWhenTheTargetDirectoryIsMissing) {
    TempDir dir;
    WriteFile(dir / "a.txt", "payload");

    EXPECT_FALSE(RenameOnDisk(dir / "a.txt", dir / "missing/b.txt"));

    EXPECT_EQ(ListDir(dir.path()), Names{"a.txt"});
    EXPECT_EQ(ReadFile(dir / "a.txt"), "payload");
}

TEST(RenameOnDisk, FailsWhenTheSourceHasVanished) {
    TempDir dir;
    EXPECT_FALSE(RenameOnDisk(dir / "gone.txt", dir / "new.txt"));
    EXPECT_TRUE(ListDir(dir.path()).empty());
}

// Each kind of entry that may already hold the new name; none of them may be replaced.
enum class Occupant { File, EmptyDirectory, DanglingSymlink, SymlinkToSource };

struct OccupiedCase {
    const char* label;
    bool sourceIsDirectory;
    Occupant occupant;
};

class TargetTaken : public ::testing::TestWithParam<OccupiedCase> {};

void MakeOccupant(const TempDir& dir, Occupant occupant) {
    const std::string target = dir / "target";
    switch (occupant) {
    case Occupant::File:
        WriteFile(target, "target content");
        break;
    case Occupant::EmptyDirectory:
        ASSERT_EQ(mkdir(target.c_str(), 0755), 0);
        break;
    case Occupant::DanglingSymlink:
        ASSERT_EQ(symlink("nowhere", target.c_str()), 0);
        break;
    case Occupant::SymlinkToSource:
        ASSERT_EQ(symlink("source", target.c_str()), 0);
        break;
    }
}

TEST_P(TargetTaken, FailsAndLeavesBothEntriesIntact) {
    const OccupiedCase& c = GetParam();
    TempDir dir;
    if (c.sourceIsDirectory) {
        ASSERT_EQ(mkdir((dir / "source").c_str(), 0755), 0);
        WriteFile(dir / "source/inside", "source content");
    } else {
        WriteFile(dir / "source", "source content");
    }
    MakeOccupant(dir, c.occupant);
    const struct stat sourceBefore = StatOf(dir / "source");
    const struct stat targetBefore = StatOf(dir / "target");

    EXPECT_FALSE(RenameOnDisk(dir / "source", dir / "target"));

    EXPECT_EQ(ListDir(dir.path()), (Names{"source", "target"}));
    EXPECT_EQ(StatOf(dir / "source").st_ino, sourceBefore.st_ino);
    EXPECT_EQ(StatOf(dir / "target").st_ino, targetBefore.st_ino);
    EXPECT_EQ(ReadFile(dir / (c.sourceIsDirectory ? "source/inside" : "source")), "source content");
    if (c.occupant == Occupant::File) {
        EXPECT_EQ(ReadFile(dir / "target"), "target content");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, TargetTaken,
    ::testing::Values(OccupiedCase{"FileOntoFile", false, Occupant::File},
                      OccupiedCase{"FileOntoEmptyDirectory", false, Occupant::EmptyDirectory},
                      OccupiedCase{"FileOntoDanglingSymlink", false, Occupant::DanglingSymlink},
                      OccupiedCase{"FileOntoSymlinkToItself", false, Occupant::SymlinkToSource},
                      OccupiedCase{"DirectoryOntoEmptyDirectory", true, Occupant::EmptyDirectory},
                      OccupiedCase{"DirectoryOntoFile", true, Occupant::File}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(RenameOnDisk, IdenticalPathSucceedsAndChangesNothing) {
    TempDir dir;
    WriteFile(dir / "same.txt", "kept");
    const struct stat before = StatOf(dir / "same.txt");

    EXPECT_TRUE(RenameOnDisk(dir / "same.txt", dir / "same.txt"));

    const struct stat after = StatOf(dir / "same.txt");
    EXPECT_EQ(ListDir(dir.path()), Names{"same.txt"});
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(ReadFile(dir / "same.txt"), "kept");
}

TEST(RenameOnDisk, IdenticalPathOfAMissingFileFails) {
    TempDir dir;
    EXPECT_FALSE(RenameOnDisk(dir / "gone.txt", dir / "gone.txt"));
    EXPECT_TRUE(ListDir(dir.path()).empty());
}

// Other spellings of the very same directory entry are no other file.
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

INSTANTIATE_TEST_SUITE_P(
    Table, SameEntrySpelledOtherwise,
    ::testing::Values(SpellingCase{"DotComponent", "sub/./b.txt", "sub/b.txt"},
                      SpellingCase{"DotComponentInNewPath", "sub/b.txt", "sub/./b.txt"},
                      SpellingCase{"DoubleSlash", "sub//b.txt", "sub/b.txt"},
                      SpellingCase{"DotDot", "sub/../sub/b.txt", "sub/b.txt"},
                      SpellingCase{"ThroughSymlinkedDirectory", "link/b.txt", "sub/b.txt"}),
    [](const auto& info) { return std::string(info.param.label); });

struct HardLinkCase {
    const char* label;
    const char* linkName; // a second name of sub/a.txt
};

class HardLinkTarget : public ::testing::TestWithParam<HardLinkCase> {};

// A hard link is a separate entry: renaming onto it would change nothing, so it must fail.
TEST_P(HardLinkTarget, IsRefusedAndBothNamesStay) {
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dir / "other").c_str(), 0755), 0);
    WriteFile(dir / "sub/a.txt", "shared");
    ASSERT_EQ(link((dir / "sub/a.txt").c_str(), (dir / GetParam().linkName).c_str()), 0);

    EXPECT_FALSE(RenameOnDisk(dir / "sub/a.txt", dir / GetParam().linkName));
    EXPECT_FALSE(RenameOnDisk(dir / GetParam().linkName, dir / "sub/a.txt"));

    EXPECT_TRUE(Exists(dir / "sub/a.txt"));
    EXPECT_TRUE(Exists(dir / GetParam().linkName));
    EXPECT_EQ(StatOf(dir / "sub/a.txt").st_nlink, 2u);
}

INSTANTIATE_TEST_SUITE_P(Table, HardLinkTarget,
                         ::testing::Values(HardLinkCase{"SameDirectory", "sub/b.txt"},
                                           HardLinkCase{"UpperCaseSpelling", "sub/A.TXT"},
                                           HardLinkCase{"OtherDirectorySameName", "other/a.txt"}),
                         [](const auto& info) { return std::string(info.param.label); });

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
