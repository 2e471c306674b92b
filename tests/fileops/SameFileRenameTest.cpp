// Letter-case renames matter on case-insensitive volumes, which a test machine may lack; the
// temporary-name mechanics behind them are exercised here on an ordinary file system.
#include "DirectoryListing.h"
#include "FileFront.h"
#include "IdentityOf.h"
#include "Moves.h"
#include "SharedCases.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarvolin {
namespace {

using test::IdentityOf;
using test::ListDir;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

using cases::CaseChange;

class LetterCaseChange : public ::testing::TestWithParam<CaseChange> {};

bool ChangeLetterCase(const std::string& oldPath, const std::string& newPath) {
    std::string fileNowAt;
    const std::unique_ptr<Backend> backend = MakeNativeBackend();
    return FileFront(*backend).ChangeLetterCase(oldPath, newPath, fileNowAt);
}

TEST_P(LetterCaseChange, EndsUnderTheNewNameWithNoTemporaryLeft) {
    const CaseChange& c = GetParam();
    TempDir dir;
    if (c.directory)
        ASSERT_EQ(mkdir((dir / c.oldName).c_str(), 0755), 0);
    else
        WriteFile(dir / c.oldName, "payload");
    const auto identity = IdentityOf(dir / c.oldName);

    EXPECT_TRUE(ChangeLetterCase(dir / c.oldName, dir / c.newName));

    EXPECT_EQ(ListDir(dir.path()), Names{c.newName});
    EXPECT_EQ(IdentityOf(dir / c.newName), identity);
}

INSTANTIATE_TEST_SUITE_P(Table, LetterCaseChange, ::testing::ValuesIn(cases::LetterCaseChanges()),
                         [](const auto& info) { return std::string(info.param.label); });

// On a case-sensitive volume the new spelling can be another file; the second step must then
// fail and the first be undone.
TEST(LetterCaseChange, PutsTheOldNameBackWhenTheNewNameIsTaken) {
    TempDir dir;
    WriteFile(dir / "abc", "lower");
    WriteFile(dir / "ABC", "upper");

    EXPECT_FALSE(ChangeLetterCase(dir / "abc", dir / "ABC"));

    EXPECT_EQ(ListDir(dir.path()), (Names{"ABC", "abc"}));
    EXPECT_EQ(ReadFile(dir / "abc"), "lower");
    EXPECT_EQ(ReadFile(dir / "ABC"), "upper");
}

TEST(WhatTakesName, SeesAnotherFile) {
    TempDir dir;
    WriteFile(dir / "a", "one");
    WriteFile(dir / "b", "two");
    EXPECT_EQ(WhatTakesName(dir / "a", dir / "b"), TakenBy::OtherEntry);
    EXPECT_EQ(ReadFile(dir / "a"), "one");
    EXPECT_EQ(ReadFile(dir / "b"), "two");
}

struct ListingCase {
    const char* label;
    std::string asked;
    bool listed;
};

class ExactListing : public ::testing::TestWithParam<ListingCase> {};

TEST_P(ExactListing, MatchesNamesByteForByte) {
    TempDir dir;
    WriteFile(dir / "Name.txt", "");
    EXPECT_EQ(DirectoryLists(dir.path(), GetParam().asked), GetParam().listed);
}

INSTANTIATE_TEST_SUITE_P(Table, ExactListing,
                         ::testing::Values(ListingCase{"Exact", "Name.txt", true},
                                           ListingCase{"OtherCase", "name.txt", false},
                                           ListingCase{"Prefix", "Name", false},
                                           ListingCase{"Longer", "Name.txt2", false},
                                           ListingCase{"Wildcard", "Name.*", false}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace tarvolin
