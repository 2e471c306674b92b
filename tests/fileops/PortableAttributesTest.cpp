// ReadAttributes and ApplyAttributes as both backends must give them.
#include "FileOps.h"
#include "Platform.h"
#include "SharedCases.h"
#include "TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tarvolin {
namespace {

namespace fs = std::filesystem;

using test::TempDir;
using test::Utf8Path;
using test::WriteFile;

// Wine keeps no archive bit of its own: it shows every file as archived, whatever was set.
// On Windows the bit is stored like the other three.
constexpr const char* kWineArchive =
    "Wine reports every file as archived; Windows keeps the cleared bit";

bool WineShowsArchiveAnyway(AttributeSet wanted) {
    return test::RunningUnderWine() && (wanted & kArchive) == 0;
}

class AnyCombination : public ::testing::TestWithParam<AttributeSet> {};

TEST_P(AnyCombination, ReadsBackAsWritten) {
    const AttributeSet bits = GetParam();
    if (WineShowsArchiveAnyway(bits))
        GTEST_SKIP() << kWineArchive;
    TempDir dir;
    WriteFile(dir / "file.txt", "data");

    ASSERT_TRUE(ApplyAttributes(dir / "file.txt", bits));

    EXPECT_EQ(ReadAttributes(dir / "file.txt"), bits);
    EXPECT_EQ(ReadFileSummary(dir / "file.txt").attributes, bits);
}

INSTANTIATE_TEST_SUITE_P(AllSixteen, AnyCombination,
                         ::testing::ValuesIn(cases::kEveryAttributeSet));

// Every transition between two of the sixteen values, on one file, as batch runs make them.
TEST(PortableAttributes, EveryValueFollowsEveryOther) {
    TempDir dir;
    const std::string path = dir / "file.txt";
    WriteFile(path, "data");
    for (const AttributeSet from : cases::kEveryAttributeSet) {
        for (const AttributeSet to : cases::kEveryAttributeSet) {
            if (WineShowsArchiveAnyway(to))
                continue; // kWineArchive
            ASSERT_TRUE(ApplyAttributes(path, from)) << std::hex << from;
            ASSERT_TRUE(ApplyAttributes(path, to)) << std::hex << from << " -> " << to;
            EXPECT_EQ(ReadAttributes(path), to) << std::hex << from << " -> " << to;
        }
    }
}

TEST(PortableAttributes, NothingSetLeavesAPlainWritableFile) {
    if (WineShowsArchiveAnyway(0))
        GTEST_SKIP() << kWineArchive;
    TempDir dir;
    const std::string path = dir / "plain.txt";
    WriteFile(path, "data");
    ASSERT_TRUE(ApplyAttributes(path, 0x27));

    ASSERT_TRUE(ApplyAttributes(path, 0));

    EXPECT_EQ(ReadAttributes(path), 0);
    WriteFile(path, "written again"); // throws if the file stayed read-only
}

TEST(PortableAttributes, ReadOnlyFileRefusesWriting) {
    TempDir dir;
    const std::string path = dir / "locked.txt";
    WriteFile(path, "data");
    ASSERT_TRUE(ApplyAttributes(path, kReadOnly | kArchive));

    EXPECT_EQ(ReadAttributes(path) & kReadOnly, kReadOnly);
    const fs::perms permissions = fs::status(Utf8Path(path)).permissions();
    EXPECT_EQ(permissions & fs::perms::owner_write, fs::perms::none);
}

TEST(PortableAttributes, DirectoryReadsLikeAFile) {
    TempDir dir;
    ASSERT_TRUE(fs::create_directory(Utf8Path(dir / "sub")));
    EXPECT_EQ(ReadAttributes(dir / "sub"), 0);

    ASSERT_TRUE(ApplyAttributes(dir / "sub", kHidden));
    EXPECT_EQ(ReadAttributes(dir / "sub"), kHidden);
}

TEST(PortableAttributes, MissingFileReadsAllBitsAndCannotBeChanged) {
    TempDir dir;
    EXPECT_EQ(ReadAttributes(dir / "missing"), kUnreadableAttributes);
    EXPECT_EQ(ReadAttributes(""), kUnreadableAttributes);
    EXPECT_FALSE(ApplyAttributes(dir / "missing", 0));
    EXPECT_FALSE(ApplyAttributes(dir / "missing", kHidden));
    EXPECT_FALSE(test::Exists(dir / "missing"));
}

// What a file that could not be read gave (-1), or a volume's own bit such as directory (0x10)
// or normal (0x80), is never written: the file keeps the four bits it had.
TEST(PortableAttributes, BitsBeyondTheFourAreRefusedAndChangeNothing) {
    TempDir dir;
    const std::string path = dir / "file.txt";
    WriteFile(path, "data");
    ASSERT_TRUE(ApplyAttributes(path, kHidden | kArchive));

    for (const AttributeSet bits : {kUnreadableAttributes, 0x10, 0x80 | kHidden, 0x100})
        EXPECT_FALSE(ApplyAttributes(path, bits)) << std::hex << bits;

    EXPECT_EQ(ReadAttributes(path), kHidden | kArchive);
}

// Only "ab" exists; a name that would match it as a search pattern must find nothing.
class PatternName : public ::testing::TestWithParam<const char*> {};

TEST_P(PatternName, MatchesOnlyItself) {
    TempDir dir;
    WriteFile(dir / "ab", "x");
    const std::string asked = dir / GetParam();

    EXPECT_EQ(ReadAttributes(asked), kUnreadableAttributes);
    EXPECT_EQ(GetModifyTime(asked), std::nullopt);
    EXPECT_EQ(GetCreationTime(asked), std::nullopt);
    EXPECT_EQ(ReadFileSummary(asked).attributes, kUnreadableAttributes);
    EXPECT_NE(ReadAttributes(dir / "ab"), kUnreadableAttributes);
    EXPECT_TRUE(GetModifyTime(dir / "ab").has_value());
}

INSTANTIATE_TEST_SUITE_P(Table, PatternName,
                         ::testing::Values("a*", "a?", "*", "*.*", "a<", "a\""));

} // namespace
} // namespace tarvolin
