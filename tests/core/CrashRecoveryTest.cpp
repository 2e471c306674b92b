// A run or an undo killed at a chosen step, then recovered either way: every file's content
// is there exactly once, under its old or its new name, and no temporary name is left. And
// undo after an ordinary run on ext4 and ntfs-3g, down to attributes and times.
#include "FileOps.h"
#include "NtfsFixture.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "StepHook.h"

#include <cctype>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvolin {
namespace {

using test::NtfsDriver;

enum class KillAt { BeforeTheFirstRename, BetweenTwoFiles, InALetterCaseChange, DuringTheUndo };

struct CrashCase {
    KillAt at;
    bool undo;             // the user's answer to the start-up box
    bool setsTime = false; // the run sets a modification time: no size and time as planned
};

class KillingOutlets final : public test::RecordingOutlets {
public:
    explicit KillingOutlets(KillAt at) : at_(at) {}
    void SetGaugeRange(int, int) override {
        if (at_ == KillAt::BeforeTheFirstRename)
            raise(SIGKILL);
    }
    void SetGaugePosition(int position) override {
        if (at_ == KillAt::BetweenTwoFiles && position == 1)
            raise(SIGKILL);
    }

private:
    KillAt at_;
};

struct KillingReport final : UndoReport {
    void FileRestored(const std::string&, const std::string&) override { raise(SIGKILL); }
    void FileSkipped(const std::string&, const std::string&) override {}
};

std::string Lower(std::string name) {
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// Old names: the third differs from its new name in letter case only.
const std::vector<std::string> kOldNames = {"a0.txt", "a1.txt", "N_2.txt", "a3.txt"};
const std::vector<std::string> kNewNames = {"n_0.txt", "n_1.txt", "n_2.txt", "n_3.txt"};

class CrashRecovery : public test::NtfsTest, public ::testing::WithParamInterface<CrashCase> {
protected:
    void SetUp() override {
        // Letter-case changes go through a temporary name only where the volume ignores case.
        MountFresh(NtfsDriver::LowNtfs3gIgnoreCase);
    }

    void RunAndKillTheChild(KillAt at, bool setsTime) {
        std::vector<std::string> paths;
        for (const std::string& name : kOldNames) {
            paths.push_back(*this / name);
            test::WriteFile(paths.back(), "content of " + name);
        }
        const pid_t child = fork();
        if (child == 0) {
            KillingOutlets outlets(at);
            if (at == KillAt::InALetterCaseChange)
                outlets.files.ArmStepHook([](Step step) {
                    if (step == Step::MovedToCaseTemporary)
                        raise(SIGKILL);
                });
            RenameOptions options;
            options.baseName = "n";
            options.setModifyTime = setsTime;
            options.modifyDate = options.modifyTime = {2021, 1, 1, 8};
            RunJournaledRenameJob(paths, options, outlets, state.path());
            KillingReport report;
            UndoLastRun(outlets.files, state.path(), report);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    }

    // Each content once, under the old or the new name of its file, and nothing else.
    void ExpectEveryFileOnceUnderItsOldOrNewName(bool allOld) {
        std::map<std::string, std::string> nameOf;
        // This volume lists every name in lower case.
        for (const std::string& name : test::ListDir(volume().path()))
            nameOf[test::ReadFile(*this / name)] = Lower(name);
        ASSERT_EQ(nameOf.size(), kOldNames.size()) << ::testing::PrintToString(nameOf);
        for (std::size_t i = 0; i < kOldNames.size(); ++i) {
            const std::string& name = nameOf["content of " + kOldNames[i]];
            EXPECT_TRUE(name == Lower(kOldNames[i]) || (!allOld && name == kNewNames[i])) << name;
        }
    }

    test::TempDir state;
    FileLayer files;
};

TEST_P(CrashRecovery, LeavesEveryFileOnceAndNoTemporaryName) {
    RunAndKillTheChild(GetParam().at, GetParam().setsTime);
    const std::optional<UnfinishedRun> run = FindUnfinishedRun(files, state.path());
    ASSERT_TRUE(run);
    EXPECT_EQ(run->underTemporaryName, GetParam().at == KillAt::InALetterCaseChange ? 1 : 0);
    if (GetParam().undo) {
        struct : UndoReport {
            void FileRestored(const std::string&, const std::string&) override {}
            void FileSkipped(const std::string& path, const std::string& why) override {
                ADD_FAILURE() << path << ": " << why;
            }
        } report;
        EXPECT_EQ(UndoUnfinishedRun(files, state.path(), *run, report).result,
                  UndoResult::Finished);
    } else {
        EXPECT_TRUE(KeepUnfinishedRun(files, state.path(), *run));
    }
    ExpectEveryFileOnceUnderItsOldOrNewName(GetParam().undo);
    EXPECT_FALSE(FindUnfinishedRun(files, state.path()));
}

std::string CaseName(const ::testing::TestParamInfo<CrashCase>& info) {
    static const char* const kSteps[] = {"BeforeTheFirstRename", "BetweenTwoFiles",
                                         "InALetterCaseChange", "DuringTheUndo"};
    return std::string(kSteps[static_cast<int>(info.param.at)]) +
           (info.param.setsTime ? "SettingATime" : "") +
           (info.param.undo ? "ThenUndo" : "ThenKeep");
}

INSTANTIATE_TEST_SUITE_P(Steps, CrashRecovery,
                         ::testing::Values(CrashCase{KillAt::BeforeTheFirstRename, true},
                                           CrashCase{KillAt::BetweenTwoFiles, true},
                                           CrashCase{KillAt::BetweenTwoFiles, false},
                                           CrashCase{KillAt::BetweenTwoFiles, true, true},
                                           CrashCase{KillAt::InALetterCaseChange, true},
                                           CrashCase{KillAt::InALetterCaseChange, false},
                                           CrashCase{KillAt::DuringTheUndo, true},
                                           CrashCase{KillAt::DuringTheUndo, false}),
                         CaseName);

// Undo puts back what a run with every option changed, to the precision the writers keep.
class UndoOfEveryOption : public test::NtfsTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UndoOfEveryOption, PutsBackNamesAttributesAndTimes) {
    test::TempDir disk;
    if (GetParam())
        MountFresh(NtfsDriver::Ntfs3g);
    const std::string folder = GetParam() ? volume().path() : disk.path();
    const std::string path = folder + "/a.txt";
    // ntfs-3g reads a system file of a few bytes as an Interix FIFO or socket.
    test::WriteFile(path, "more than an Interix header holds");
    const LocalDateTime created{2001, 2, 3, 4, 5, 6, 0}, modified{2011, 12, 13, 14, 15, 16, 0};
    ASSERT_TRUE(SetCreationTime(path, created, created) && SetModifyTime(path, modified, modified));
    ASSERT_TRUE(ApplyAttributes(path, kArchive));
    const FileSummary before = ReadFileSummary(path);

    std::vector<std::string> paths = {path};
    test::RecordingOutlets outlets;
    RenameOptions options;
    options.baseName = "n";
    options.setAttributes = true;
    options.attributes = kSystem;
    options.setCreationTime = options.setModifyTime = true;
    options.creationDate = options.creationTime = {2020, 1, 1, 8};
    options.modifyDate = options.modifyTime = {2021, 1, 1, 8};
    test::TempDir state;
    RunJournaledRenameJob(paths, options, outlets, state.path());
    ASSERT_TRUE(outlets.errors.empty()) << outlets.errors.front();
    struct : UndoReport {
        void FileRestored(const std::string&, const std::string&) override {}
        void FileSkipped(const std::string& p, const std::string& why) override {
            ADD_FAILURE() << p << ": " << why;
        }
    } report;
    ASSERT_EQ(UndoLastRun(outlets.files, state.path(), report).result, UndoResult::Finished);
    const FileSummary after = ReadFileSummary(path);
    EXPECT_EQ(after.attributes, before.attributes);
    EXPECT_EQ(after.creationTime, before.creationTime);
    EXPECT_EQ(after.modifyTime, before.modifyTime);
    EXPECT_EQ(test::ListDir(folder), std::vector<std::string>{"a.txt"});
}

INSTANTIATE_TEST_SUITE_P(Volumes, UndoOfEveryOption, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Ntfs3g" : "Disk";
                         });

} // namespace
} // namespace tarvolin
