// ReadAttributes and ApplyAttributes as both backends must give them, beyond what the volume
// contract (tests/volumes/VolumeContractTest.cpp) checks on every kind of volume.
#include "FileOps.h"
#include "Platform.h"
#include "TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tarvolin {
namespace {

namespace fs = std::filesystem;

using test::TempDir;
using test::Utf8Path;
using test::WriteFile;

TEST(PortableAttributes, ReadOnlyFileRefusesWriting) {
    TempDir dir;
    const std::string path = dir / "locked.txt";
    WriteFile(path, "data");
    ASSERT_TRUE(ApplyAttributes(path, kReadOnly | kArchive));

    EXPECT_EQ(ReadAttributes(path) & kReadOnly, kReadOnly);
    const fs::perms permissions = fs::status(Utf8Path(path)).permissions();
    EXPECT_EQ(permissions & fs::perms::owner_write, fs::perms::none);
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
