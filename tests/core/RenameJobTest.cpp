#include "RenameJob.h"

#include "FileOps.h"
#include "NumberedOptions.h"
#include "Platform.h"
#include "RecordingOutlets.h"
#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace tarvolin {
namespace {

using test::ListDir;
using test::MakeFiles;
using test::Numbered;
using test::ReadFile;
using test::RecordingOutlets;
using test::TempDir;
using test::WriteFile;

class RenameJobTest : public testing::Test {
protected:
    TempDir dir;
    RecordingOutlets outlets;
};

TEST_F(RenameJobTest, RenamesEveryFileInListOrder) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt", "b.doc", "c"});
    outlets.Follow(fileNames);
    RunRenameJob(fileNames, Numbered("x", 7), outlets);

    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"x_7.txt", "x_8.doc", "x_9"}));
    EXPECT_EQ(ReadFile(dir / "x_7.txt"), "a.txt");
    EXPECT_EQ(ReadFile(dir / "x_8.doc"), "b.doc");
    EXPECT_EQ(ReadFile(dir / "x_9"), "c");
    EXPECT_EQ(fileNames, (std::vector<std::string>{dir / "x_7.txt", dir / "x_8.doc", dir / "x_9"}));
    EXPECT_TRUE(outlets.errors.empty());
    EXPECT_EQ(outlets.gaugeMaximum, 2);
    EXPECT_EQ(outlets.gaugePosition, 2);
    EXPECT_EQ(outlets.events,
              (std::vector<std::string>{"range 0..2", "row 0 " + dir / "x_7.txt", "gauge 0",
                                        "row 1 " + dir / "x_8.doc", "gauge 1",
                                        "row 2 " + dir / "x_9", "gauge 2"}));
}

TEST_F(RenameJobTest, EmptyListShowsTheErrorAndStartsNothing) {
    std::vector<std::string> fileNames;
    RunRenameJob(fileNames, Numbered("x", 0), outlets);
    EXPECT_EQ(outlets.events,
              (std::vector<std::string>{std::string("error ") + kNoFilesListedText}));
}

TEST_F(RenameJobTest, SingleFileGivesRangeZeroToZero) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"only.txt"});
    RunRenameJob(fileNames, Numbered("x", 1), outlets);
    EXPECT_EQ(outlets.gaugeMinimum, 0);
    EXPECT_EQ(outlets.gaugeMaximum, 0);
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"x_1.txt"}));
}

TEST_F(RenameJobTest, GaugeKeepsThePreviousPositionUntilTheFirstFileIsDone) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"1", "2", "3", "4", "5"});
    outlets.SetGaugeRange(0, 7);
    outlets.SetGaugePosition(7);
    outlets.events.clear();

    RunRenameJob(fileNames, Numbered("", 0), outlets);

    ASSERT_GE(outlets.events.size(), 3u);
    EXPECT_EQ(outlets.events[0], "range 0..4");
    EXPECT_EQ(outlets.events[1], "row 0 " + dir / "1");
    EXPECT_EQ(outlets.events[2], "gauge 0");
    EXPECT_EQ(outlets.gaugePosition, 4);
}

TEST_F(RenameJobTest, TakenNameStopsTheRunAtThatFile) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt", "b.txt", "c.txt"});
    WriteFile(dir / "x_2.txt", "someone else's");

    outlets.Follow(fileNames);
    RunRenameJob(fileNames, Numbered("x", 1), outlets);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(outlets.rows.back(), std::make_pair(1, dir / "b.txt"));
    EXPECT_EQ(outlets.gaugePosition, 0);
    EXPECT_EQ(fileNames, (std::vector<std::string>{dir / "x_1.txt", dir / "b.txt", dir / "c.txt"}));
    EXPECT_EQ(ReadFile(dir / "x_2.txt"), "someone else's");
    EXPECT_EQ(ReadFile(dir / "b.txt"), "b.txt");
    EXPECT_EQ(ReadFile(dir / "c.txt"), "c.txt");
}

TEST_F(RenameJobTest, SamePathTwiceStopsAtTheSecondOccurrence) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt"});
    fileNames.push_back(fileNames[0]);
    RunRenameJob(fileNames, Numbered("x", 0), outlets);
    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"x_0.txt"}));
    EXPECT_EQ(fileNames[1], dir / "a.txt");
}

TEST_F(RenameJobTest, VanishedFileIsARenameError) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt"});
    fileNames.push_back(dir / "gone.txt");
    RunRenameJob(fileNames, Numbered("", 0), outlets);
    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(outlets.rows.back(), std::make_pair(1, dir / "gone.txt"));
}

// A folder the run itself renames leaves the paths under its old name leading nowhere.
TEST_F(RenameJobTest, FileUnderAFolderTheRunRenamedIsARenameError) {
    std::filesystem::create_directory(dir / "sub");
    std::vector<std::string> fileNames = MakeFiles(dir / "sub", {"a.txt", "b.txt"});
    fileNames.insert(fileNames.begin() + 1, dir / "sub");
    RunRenameJob(fileNames, Numbered("x", 1), outlets);
    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(ListDir(dir / "x_2"), (std::vector<std::string>{"b.txt", "x_1.txt"}));
}

TEST_F(RenameJobTest, EmptyBaseNameSetsAttributesWithoutRenaming) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt", "b"});
    RenameOptions options;
    options.setAttributes = true;
    options.attributes = kHidden | kArchive;

    RunRenameJob(fileNames, options, outlets);

    EXPECT_TRUE(outlets.errors.empty());
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"a.txt", "b"}));
    EXPECT_EQ(ReadAttributes(dir / "a.txt"), kHidden | kArchive);
    EXPECT_EQ(ReadAttributes(dir / "b"), kHidden | kArchive);
}

// Only a file's contents are protected by read-only; its times are written all the same, in
// both modes, whether the run or someone before it made the file read-only.
TEST_F(RenameJobTest, ReadOnlyFilesTakeBothTimes) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt", "b.txt", "c.txt"});
    ASSERT_TRUE(ApplyAttributes(fileNames[1], kReadOnly));
    RenameOptions options = Numbered("x", 1);
    options.setAttributes = true;
    options.attributes = kReadOnly;
    options.setCreationTime = options.setModifyTime = true;
    options.creationDate = options.modifyDate = {2020, 5, 6};
    options.creationTime = options.modifyTime = {2000, 1, 1, 10, 20, 30};

    options.setAttributes = false;
    outlets.Follow(fileNames);
    ChangeSingleFile(fileNames, 1, options, outlets); // b.txt was read-only before
    options.setAttributes = true;
    RunRenameJob(fileNames, options, outlets);

    EXPECT_TRUE(outlets.errors.empty());
    for (const char* name : {"x_1.txt", "x_2.txt", "x_3.txt"}) {
        EXPECT_EQ(ReadAttributes(dir / name) & kReadOnly, kReadOnly) << name;
        EXPECT_EQ(GetCreationTime(dir / name), (LocalDateTime{2020, 5, 6, 10, 20, 30})) << name;
        EXPECT_EQ(GetModifyTime(dir / name), (LocalDateTime{2020, 5, 6, 10, 20, 30})) << name;
    }
}

TEST_F(RenameJobTest, AttributesAndTimesLandOnTheRenamedFiles) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt", "b.txt"});
    RenameOptions options = Numbered("y", 0);
    options.replaceExtension = true;
    options.extension = "md";
    options.setAttributes = true;
    options.attributes = kSystem;
    options.setCreationTime = true;
    options.creationDate = {2019, 12, 24};
    options.creationTime = {1, 1, 1, 18, 30, 15, 250};
    options.setModifyTime = true;
    options.modifyDate = {2020, 1, 2};
    options.modifyTime = {1, 1, 1, 9, 8, 7};

    RunRenameJob(fileNames, options, outlets);

    ASSERT_TRUE(outlets.errors.empty());
    for (const char* name : {"y_0.md", "y_1.md"}) {
        // Wine shows every file as archived; Windows keeps the cleared bit.
        const AttributeSet shown = ReadAttributes(dir / name);
        EXPECT_EQ(test::RunningUnderWine() ? shown & ~kArchive : shown, kSystem) << name;
        // Wine does not store creation times; Windows does.
        if (!test::RunningUnderWine()) {
            EXPECT_EQ(GetCreationTime(dir / name), (LocalDateTime{2019, 12, 24, 18, 30, 14}))
                << name;
        }
        EXPECT_EQ(GetModifyTime(dir / name), (LocalDateTime{2020, 1, 2, 9, 8, 6})) << name;
    }
}

TEST_F(RenameJobTest, AttributeRefusalStopsTheRun) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt", "b.txt"});
    if (std::system(("chattr +i '" + fileNames[0] + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "this file system cannot make a file immutable";
    RenameOptions options;
    options.setAttributes = true;
    options.attributes = kHidden;

    RunRenameJob(fileNames, options, outlets);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kAttributesErrorText}));
    EXPECT_EQ(outlets.rows.back(), std::make_pair(0, dir / "a.txt"));
    EXPECT_EQ(ReadAttributes(dir / "b.txt") & kHidden, 0);
}

TEST_F(RenameJobTest, SecondRunWithTheSameOptionsRenamesOntoTheSameNames) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt", "b.txt", "c.txt"});
    outlets.Follow(fileNames);
    RunRenameJob(fileNames, Numbered("x", 1), outlets);
    const std::vector<std::string> afterFirst = fileNames;
    RunRenameJob(fileNames, Numbered("x", 1), outlets);
    EXPECT_TRUE(outlets.errors.empty());
    EXPECT_EQ(fileNames, afterFirst);
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"x_1.txt", "x_2.txt", "x_3.txt"}));
}

TEST_F(RenameJobTest, SingleFileChangeUsesTheUnnumberedRule) {
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"report.final.txt", "other.txt"});
    RenameOptions options = Numbered("summary", 42);

    outlets.Follow(fileNames);
    ChangeSingleFile(fileNames, 0, options, outlets);

    EXPECT_TRUE(outlets.errors.empty());
    EXPECT_EQ(fileNames[0], dir / "summary.txt");
    EXPECT_EQ(ReadFile(dir / "summary.txt"), "report.final.txt");
    EXPECT_EQ(outlets.rows, (std::vector<std::pair<int, std::string>>{{0, dir / "summary.txt"}}));
    EXPECT_EQ(outlets.gaugePosition, 0);

    ChangeSingleFile(fileNames, 5, options, outlets);
    ChangeSingleFile(fileNames, -1, options, outlets);
    EXPECT_EQ(outlets.rows.size(), 1u);
    EXPECT_TRUE(outlets.errors.empty());

    options.baseName = "summary";
    ChangeSingleFile(fileNames, 1, options, outlets);
    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(ReadFile(dir / "other.txt"), "other.txt");
}

TEST_F(RenameJobTest, SingleFileChangeOnAnEmptyListShowsTheListError) {
    std::vector<std::string> fileNames;
    ChangeSingleFile(fileNames, 0, Numbered("x", 0), outlets);
    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kNoFilesListedText}));
}

// A name field that is no plain name is refused, in both modes, before any file or journal
// is touched; "../x" would otherwise move the file up the tree.
struct NameFieldCase {
    const char* base;
    bool replaceExtension;
    const char* extension;
    const char* error;
};
class NameFieldRefusal : public testing::TestWithParam<NameFieldCase> {};

TEST_P(NameFieldRefusal, TouchesNothingInEitherMode) {
    const NameFieldCase& c = GetParam();
    TempDir dir;
    RecordingOutlets outlets;
    std::filesystem::create_directory(dir / "sub");
    std::vector<std::string> fileNames = MakeFiles(dir / "sub", {"a.txt"});
    RenameOptions options = Numbered(c.base, 1);
    options.replaceExtension = c.replaceExtension;
    options.extension = c.extension;

    RunJournaledRenameJob(fileNames, options, outlets, dir.path());
    ChangeJournaledSingleFile(fileNames, 0, options, outlets, dir.path());

    EXPECT_EQ(outlets.events, std::vector<std::string>(2, std::string("error ") + c.error));
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"sub"}));
    EXPECT_EQ(ListDir(dir / "sub"), (std::vector<std::string>{"a.txt"}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, NameFieldRefusal,
    testing::Values(NameFieldCase{"../x", false, "", "A name cannot hold \"/\"."},
                    NameFieldCase{"..", true, "", "A name cannot be \"..\"."},
                    NameFieldCase{".", true, "", "A name cannot be \".\"."},
                    NameFieldCase{"x", true, "d/e", "A name cannot hold \"/\"."}));

} // namespace
} // namespace tarvolin
