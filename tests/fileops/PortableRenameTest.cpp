// RenameOnDisk as both backends must give it, reached through FileOps.h alone, beyond what
// the volume contract (tests/volumes/VolumeContractTest.cpp) checks on every kind of volume.
#include "FileOps.h"
#include "IdentityOf.h"
#include "Platform.h"
#include "TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tarvolin {
namespace {

namespace fs = std::filesystem;

using test::FileIdentity;
using test::IdentityOf;
using test::ListDir;
using test::ReadFile;
using test::TempDir;
using test::Utf8Path;
using test::WriteFile;
using Names = std::vector<std::string>;

void MakeDirectory(const std::string& path) {
    ASSERT_TRUE(fs::create_directory(Utf8Path(path))) << path;
}

TEST(PortableRename, RenamesADirectory) {
    TempDir dir;
    MakeDirectory(dir / "d1");
    WriteFile(dir / "d1/inside", "x");

    ASSERT_TRUE(RenameOnDisk(dir / "d1", dir / "d2"));

    EXPECT_EQ(ListDir(dir.path()), Names{"d2"});
    EXPECT_EQ(ReadFile(dir / "d2/inside"), "x");
}

TEST(PortableRename, MovesAReadOnlyFile) {
    TempDir dir;
    WriteFile(dir / "a.txt", "payload");
    ASSERT_TRUE(ApplyAttributes(dir / "a.txt", kReadOnly));

    ASSERT_TRUE(RenameOnDisk(dir / "a.txt", dir / "b.txt"));

    EXPECT_EQ(ListDir(dir.path()), Names{"b.txt"});
    EXPECT_EQ(ReadAttributes(dir / "b.txt") & kReadOnly, kReadOnly);
}

TEST(PortableRename, FailsWhenTheTargetDirectoryIsMissing) {
    TempDir dir;
    WriteFile(dir / "a.txt", "payload");

    EXPECT_FALSE(RenameOnDisk(dir / "a.txt", dir / "missing/b.txt"));

    EXPECT_EQ(ListDir(dir.path()), Names{"a.txt"});
    EXPECT_EQ(ReadFile(dir / "a.txt"), "payload");
}

// Other spellings of the very same entry are no other file.
struct SpellingCase {
    const char* label;
    std::string oldSpelling; // relative to the temp dir, which holds sub/b.txt
    std::string newSpelling;
};

class SameEntryOtherSpelling : public ::testing::TestWithParam<SpellingCase> {};

TEST_P(SameEntryOtherSpelling, SucceedsAndChangesNothing) {
    const SpellingCase& c = GetParam();
    TempDir dir;
    MakeDirectory(dir / "sub");
    WriteFile(dir / "sub/b.txt", "kept");
    const std::optional<FileIdentity> before = IdentityOf(dir / "sub/b.txt");

    EXPECT_TRUE(RenameOnDisk(dir / c.oldSpelling, dir / c.newSpelling));

    EXPECT_EQ(ListDir(dir / "sub"), Names{"b.txt"});
    EXPECT_EQ(IdentityOf(dir / "sub/b.txt"), before);
    EXPECT_EQ(ReadFile(dir / "sub/b.txt"), "kept");
}

INSTANTIATE_TEST_SUITE_P(Table, SameEntryOtherSpelling,
                         ::testing::Values(SpellingCase{"DotComponent", "sub/./b.txt", "sub/b.txt"},
                                           SpellingCase{"DotComponentInNewPath", "sub/b.txt",
                                                        "sub/./b.txt"},
                                           SpellingCase{"DotDot", "sub/../sub/b.txt", "sub/b.txt"}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace tarvolin
