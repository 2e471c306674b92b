// Undo puts back exactly what was there: times to the nanosecond in any year, no DOS record
// where there was none; it keeps a time someone changed after the run; and an undo cut off
// between a file's name and its attributes finishes both.
#include "FileOps.h"
#include "Platform.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "ScratchMount.h"
#include "StepHook.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tarvolin {
namespace {

using test::AccessAndModify;
using test::UtcSeconds;

struct Report final : UndoReport {
    void FileRestored(const std::string&, const std::string&) override {}
    void FileSkipped(const std::string& path, const std::string& why) override {
        ADD_FAILURE() << path << ": " << why;
    }
    void PartLeftAlone(const std::string&, const std::string& why) override {
        notes.push_back(why);
    }
    std::vector<std::string> notes;
};

RenameOptions EveryOption() {
    RenameOptions options;
    options.baseName = "n";
    options.setAttributes = true;
    options.attributes = kHidden | kArchive;
    options.setCreationTime = options.setModifyTime = true;
    options.creationDate = options.creationTime = {2020, 1, 1, 8};
    options.modifyDate = options.modifyTime = {2021, 1, 1, 8};
    return options;
}

bool HasDosRecord(const std::string& path) {
    return getxattr(path.c_str(), "user.DOSATTRIB", nullptr, 0) >= 0;
}

// tmpfs holds any year; the files are read-only by their mode and have no DOS record.
class ExactUndo : public ::testing::TestWithParam<AccessAndModify> {
protected:
    void SetUp() override {
        ASSERT_TRUE(volume.mounted());
        test::WriteFile(path, "content");
        ASSERT_EQ(chmod(path.c_str(), 0444), 0);
        ASSERT_TRUE(test::WriteRawTimes(path, GetParam()));
    }
    void Run(const RenameOptions& options) {
        std::vector<std::string> paths = {path};
        test::RecordingOutlets outlets;
        RunJournaledRenameJob(paths, options, outlets, state.path());
        ASSERT_TRUE(outlets.errors.empty()) << outlets.errors.front();
    }

    test::ScratchVolume volume{"tmpfs"};
    test::TempDir state;
    const std::string path = volume / "a.txt";
    Report report;
    FileLayer files;
};

TEST_P(ExactUndo, PutsBackTheTimesToTheNanosecondAndNoDosRecord) {
    Run(EveryOption());
    ASSERT_TRUE(HasDosRecord(volume / "n_0.txt"));
    ASSERT_EQ(UndoLastRun(files, state.path(), report).result, UndoResult::Finished);
    EXPECT_EQ(test::ReadRawTimes(path), GetParam());
    EXPECT_EQ(ReadAttributes(path), kReadOnly);
    EXPECT_FALSE(HasDosRecord(path));
    EXPECT_TRUE(report.notes.empty());
}

TEST_P(ExactUndo, KeepsAModificationTimeChangedAfterTheRun) {
    Run(EveryOption());
    test::WriteFile(volume / "n_0.txt", "edited after the run");
    const std::optional<AccessAndModify> edited = test::ReadRawTimes(volume / "n_0.txt");
    ASSERT_EQ(UndoLastRun(files, state.path(), report).result, UndoResult::Finished);
    EXPECT_EQ(test::ReadRawTimes(path)->modify, edited->modify);
    EXPECT_EQ(report.notes.size(), 1u);
}

TEST_P(ExactUndo, FinishesTheAttributesOfAnUndoCutOffAfterTheName) {
    const FileSummary before = ReadFileSummary(path);
    Run(EveryOption());
    const pid_t child = fork();
    if (child == 0) {
        files.ArmStepHook([](Step step) {
            if (step == Step::RestoringMetadata)
                raise(SIGKILL);
        });
        UndoLastRun(files, state.path(), report);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    ASSERT_TRUE(test::Exists(path)); // the name is back, the rest is not
    const std::optional<UnfinishedRun> undo = FindUnfinishedRun(files, state.path());
    ASSERT_TRUE(undo && undo->contents.kind == JournalKind::Undo);
    EXPECT_EQ(UndoUnfinishedRun(files, state.path(), *undo, report).result, UndoResult::Finished);
    EXPECT_EQ(test::ReadRawTimes(path), GetParam());
    EXPECT_EQ(ReadAttributes(path), before.attributes);
    EXPECT_FALSE(HasDosRecord(path));
}

TEST(ExactUndoOfACreationTime, TakesAwayOneTheFileDidNotHave) {
    test::ScratchVolume volume("tmpfs");
    test::TempDir state;
    std::vector<std::string> paths = {volume / "a.txt"};
    test::WriteFile(paths[0], "content");
    ASSERT_TRUE(ApplyAttributes(paths[0], kHidden)); // a record without a creation time
    RenameOptions options = EveryOption();
    options.setAttributes = options.setModifyTime = false;
    test::RecordingOutlets outlets;
    outlets.Follow(paths);
    RunJournaledRenameJob(paths, options, outlets, state.path());
    ASSERT_TRUE(ReadExactMetadata(paths[0])->creationStored);
    Report report;
    ASSERT_EQ(UndoLastRun(outlets.files, state.path(), report).result, UndoResult::Finished);
    const std::optional<ExactMetadata> after = ReadExactMetadata(volume / "a.txt");
    EXPECT_FALSE(after->creationStored);
    EXPECT_TRUE(after->dosRecord);
    EXPECT_EQ(after->attributes, kHidden);
}

const char* const kTimeNames[] = {"AfterTheYear9999", "Before1970", "OddSecondsAndNanoseconds"};

INSTANTIATE_TEST_SUITE_P(
    Times, ExactUndo,
    ::testing::Values(AccessAndModify{{UtcSeconds(10000, 1, 1, 0, 0, 1), 123'456'789},
                                      {UtcSeconds(12000, 6, 1, 0, 0, 3), 999'999'999}},
                      AccessAndModify{{UtcSeconds(1960, 1, 1, 0, 0, 0), 5},
                                      {UtcSeconds(1969, 12, 31, 23, 59, 59), 500'000'000}},
                      AccessAndModify{{UtcSeconds(1979, 5, 5, 5, 5, 5), 0},
                                      {UtcSeconds(2015, 3, 3, 3, 3, 7), 1}}),
    [](const ::testing::TestParamInfo<AccessAndModify>& info) { return kTimeNames[info.index]; });

} // namespace
} // namespace tarvolin
