// RenameOnDisk as both backends must give it, reached through FileOps.h alone.
#include "FileOps.h"
#include "IdentityOf.h"
#include "Platform.h"
#include "SharedCases.h"
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

using cases::NamePair;

class RenameAnyName : public ::testing::TestWithParam<NamePair> {};

TEST_P(RenameAnyName, MovesTheFileAndItsContent) {
    const NamePair& c = GetParam();
    TempDir dir;
    WriteFile(dir / c.oldName, "content of " + c.oldName);

    ASSERT_TRUE(RenameOnDisk(dir / c.oldName, dir / c.newName));

    EXPECT_EQ(ListDir(dir.path()), Names{c.newName});
    EXPECT_EQ(ReadFile(dir / c.newName), "content of " + c.oldName);
}

// Names outside every ANSI code page must survive: Greek, Japanese and an emoji (a UTF-16
// surrogate pair) together.
INSTANTIATE_TEST_SUITE_P(
    Table, RenameAnyName,
    ::testing::Values(
        NamePair{"Plain", "a.txt", "x_7.txt"}, NamePair{"Spaces", "my file .txt", " other file"},
        NamePair{"LeadingDot", ".hidden", ".other"},
        NamePair{"OutsideAnyCodePage", "\xce\x95\xce\xbb\xce\xbb\xce\xac\xce\xb4\xce\xb1.txt",
                 "\xe6\x97\xa5\xe6\x9c\xac_\xf0\x9f\x98\x80.txt"},
        NamePair{"Longest255Characters", std::string(255, 'a'), std::string(255, 'b')},
        NamePair{"ToLongestName", "short", std::string(251, 'c') + ".txt"}),
    [](const auto& info) { return std::string(info.param.label); });

// Bytes only a POSIX name may hold: Windows refuses them in a name.
INSTANTIATE_TEST_SUITE_P(PosixOnly, RenameAnyName,
                         ::testing::ValuesIn(test::NamesMayHoldAnyByte()
                                                 ? cases::PosixOnlyNamePairs()
                                                 : std::vector<NamePair>{}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(PortableRename, MovesIntoAnotherExistingDirectory) {
    TempDir dir;
    MakeDirectory(dir / "sub");
    WriteFile(dir / "a.txt", "payload");

    ASSERT_TRUE(RenameOnDisk(dir / "a.txt", dir / "sub/b.txt"));

    EXPECT_EQ(ListDir(dir.path()), Names{"sub"});
    EXPECT_EQ(ReadFile(dir / "sub/b.txt"), "payload");
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

TEST(PortableRename, FailsWhenTheSourceHasVanished) {
    TempDir dir;
    EXPECT_FALSE(RenameOnDisk(dir / "gone.txt", dir / "new.txt"));
    EXPECT_TRUE(ListDir(dir.path()).empty());
}

TEST(PortableRename, IdenticalPathSucceedsAndChangesNothing) {
    TempDir dir;
    WriteFile(dir / "same.txt", "kept");
    const std::optional<FileIdentity> before = IdentityOf(dir / "same.txt");

    EXPECT_TRUE(RenameOnDisk(dir / "same.txt", dir / "same.txt"));

    EXPECT_EQ(ListDir(dir.path()), Names{"same.txt"});
    EXPECT_EQ(IdentityOf(dir / "same.txt"), before);
    EXPECT_EQ(ReadFile(dir / "same.txt"), "kept");
}

TEST(PortableRename, IdenticalPathOfAMissingFileFails) {
    TempDir dir;
    EXPECT_FALSE(RenameOnDisk(dir / "gone.txt", dir / "gone.txt"));
    EXPECT_TRUE(ListDir(dir.path()).empty());
}

struct OccupiedCase {
    const char* label;
    bool sourceIsDirectory;
    bool targetIsDirectory;
};

class TargetOccupied : public ::testing::TestWithParam<OccupiedCase> {};

TEST_P(TargetOccupied, FailsAndLeavesBothEntriesIntact) {
    const OccupiedCase& c = GetParam();
    TempDir dir;
    if (c.sourceIsDirectory) {
        MakeDirectory(dir / "source");
        WriteFile(dir / "source/inside", "source content");
    } else {
        WriteFile(dir / "source", "source content");
    }
    if (c.targetIsDirectory)
        MakeDirectory(dir / "target");
    else
        WriteFile(dir / "target", "target content");
    const std::optional<FileIdentity> sourceBefore = IdentityOf(dir / "source");
    const std::optional<FileIdentity> targetBefore = IdentityOf(dir / "target");

    EXPECT_FALSE(RenameOnDisk(dir / "source", dir / "target"));

    // The system's words for a taken name, for the error box: "File exists" on Linux, "Cannot
    // create a file when that file already exists" on Windows, "File already exists" in Wine.
    EXPECT_NE(LastFailureReason().find("exists"), std::string::npos) << LastFailureReason();
    EXPECT_EQ(ListDir(dir.path()), (Names{"source", "target"}));
    EXPECT_EQ(IdentityOf(dir / "source"), sourceBefore);
    EXPECT_EQ(IdentityOf(dir / "target"), targetBefore);
    EXPECT_EQ(ReadFile(dir / (c.sourceIsDirectory ? "source/inside" : "source")), "source content");
    if (!c.targetIsDirectory) {
        EXPECT_EQ(ReadFile(dir / "target"), "target content");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TargetOccupied,
                         ::testing::Values(OccupiedCase{"FileOntoFile", false, false},
                                           OccupiedCase{"FileOntoEmptyDirectory", false, true},
                                           OccupiedCase{"DirectoryOntoEmptyDirectory", true, true},
                                           OccupiedCase{"DirectoryOntoFile", true, false}),
                         [](const auto& info) { return std::string(info.param.label); });

struct CaseChange {
    const char* label;
    std::string oldName;
    std::string newName;
    bool directory;
};

class LetterCase : public ::testing::TestWithParam<CaseChange> {};

// On a case-insensitive volume the new name names the file itself; either way the listing
// must show the new spelling afterwards, and only it.
TEST_P(LetterCase, ShowsTheNewSpellingOnly) {
    const CaseChange& c = GetParam();
    TempDir dir;
    if (c.directory) {
        MakeDirectory(dir / c.oldName);
        WriteFile(dir / c.oldName + "/inside", "kept");
    } else {
        WriteFile(dir / c.oldName, "kept");
    }

    ASSERT_TRUE(RenameOnDisk(dir / c.oldName, dir / c.newName));

    EXPECT_EQ(ListDir(dir.path()), Names{c.newName});
    EXPECT_EQ(ReadFile(dir / (c.directory ? c.newName + "/inside" : c.newName)), "kept");
}

INSTANTIATE_TEST_SUITE_P(Table, LetterCase,
                         ::testing::Values(CaseChange{"ToUpper", "report.txt", "REPORT.TXT", false},
                                           CaseChange{"ToLower", "Mixed.Case", "mixed.case", false},
                                           CaseChange{"ExtensionOnly", "photo.JPG", "photo.jpg",
                                                      false},
                                           CaseChange{"NonAsciiLetter", "\xc3\xa9t\xc3\xa9.txt",
                                                      "\xc3\x89T\xc3\x89.txt", false},
                                           CaseChange{"Directory", "folder", "Folder", true}),
                         [](const auto& info) { return std::string(info.param.label); });

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

struct HardLinkCase {
    const char* label;
    const char* linkName; // a second name of sub/a.txt
};

class SecondHardLink : public ::testing::TestWithParam<HardLinkCase> {};

// A hard link is an entry of its own: renaming onto it would replace it, so it must fail.
TEST_P(SecondHardLink, IsRefusedAndBothNamesStay) {
    TempDir dir;
    MakeDirectory(dir / "sub");
    MakeDirectory(dir / "other");
    WriteFile(dir / "sub/a.txt", "shared");
    std::error_code error;
    fs::create_hard_link(Utf8Path(dir / "sub/a.txt"), Utf8Path(dir / GetParam().linkName), error);
    if (error)
        GTEST_SKIP() << "this volume keeps no hard links: " << error.message();

    EXPECT_FALSE(RenameOnDisk(dir / "sub/a.txt", dir / GetParam().linkName));
    EXPECT_FALSE(RenameOnDisk(dir / GetParam().linkName, dir / "sub/a.txt"));

    EXPECT_EQ(ReadFile(dir / "sub/a.txt"), "shared");
    EXPECT_EQ(ReadFile(dir / GetParam().linkName), "shared");
    const std::optional<FileIdentity> identity = IdentityOf(dir / "sub/a.txt");
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(identity->links, 2u);
}

INSTANTIATE_TEST_SUITE_P(Table, SecondHardLink,
                         ::testing::Values(HardLinkCase{"SameDirectory", "sub/b.txt"},
                                           HardLinkCase{"OtherDirectorySameName", "other/a.txt"}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace tarvolin
