// A swap (x_1 and x_0 trading names) killed at every step of its three moves, or of its
// undo's, and a rotation killed half-way, then recovered either way: every file is there once,
// under its old name or its new one (the old one after an undo), and nothing else beside them.
// On lowntfs-3g every move first reserves its target with an empty file: a step to kill at.
#include "NtfsFixture.h"
#include "RecordingOutlets.h"
#include "RecordingUndoReport.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "StepHook.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvolin {
namespace {

struct SwapKill {
    const char* name;
    int reservation; // the move killed while it holds its target, 0 for none
    int gauge;       // else the run killed once this many files are done
    bool duringUndo; // the run finishes; its undo is killed
    bool undo;       // the answer to the start-up box
    std::vector<const char*> listed = {"x_1", "x_0"}; // file k becomes x_k
};

void PrintTo(const SwapKill& kill, std::ostream* out) {
    *out << kill.name;
}

class KillingOutlets final : public test::RecordingOutlets {
public:
    explicit KillingOutlets(int gauge) : gauge_(gauge) {}
    void SetGaugePosition(int position) override {
        if (position + 1 == gauge_)
            raise(SIGKILL);
    }

private:
    int gauge_;
};

class SwapCrash : public test::NtfsTest, public ::testing::WithParamInterface<SwapKill> {
protected:
    void SetUp() override { MountFresh(test::NtfsDriver::LowNtfs3gIgnoreCase); }

    void RunAndKillTheChild() {
        const SwapKill& kill = GetParam();
        std::vector<std::string> paths;
        for (const char* name : kill.listed)
            test::WriteFile(paths.emplace_back(*this / name), name);
        const pid_t child = fork();
        if (child == 0) {
            const auto killAtReservation = [&kill, reached = 0](Step step) mutable {
                if (step == Step::NameReserved && ++reached == kill.reservation)
                    raise(SIGKILL);
            };
            KillingOutlets outlets(kill.gauge);
            if (!kill.duringUndo)
                outlets.files.ArmStepHook(killAtReservation);
            RenameOptions options;
            options.baseName = "x";
            RunJournaledRenameJob(paths, options, outlets, state.path());
            outlets.files.ArmStepHook(killAtReservation);
            test::RecordingUndoReport report;
            UndoLastRun(outlets.files, state.path(), report);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    }

    test::TempDir state;
    FileLayer files;
};

TEST_P(SwapCrash, LeavesBothFilesOnceUnderProperNames) {
    RunAndKillTheChild();
    const std::optional<UnfinishedRun> run = FindUnfinishedRun(files, state.path());
    ASSERT_TRUE(run);
    if (GetParam().undo) {
        test::RecordingUndoReport report;
        EXPECT_EQ(UndoUnfinishedRun(files, state.path(), *run, report).result,
                  UndoResult::Finished);
        EXPECT_EQ(report.skipped, std::vector<std::string>{});
    } else {
        EXPECT_TRUE(KeepUnfinishedRun(files, state.path(), *run));
    }
    EXPECT_FALSE(FindUnfinishedRun(files, state.path()));
    const std::vector<const char*>& listed = GetParam().listed;
    std::vector<std::string> names(listed.begin(), listed.end());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(test::ListDir(volume().path()), names);
    // Undoing a run gives the old names back; finishing an undo, too.
    for (std::size_t k = 0; k < listed.size(); ++k)
        EXPECT_TRUE(test::ReadFile(*this / listed[k]) == listed[k] ||
                    (!GetParam().undo && test::ReadFile(*this / names[k]) == listed[k]))
            << listed[k];
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, SwapCrash,
    ::testing::Values(SwapKill{"AsideUndo", 1, 0, false, true},
                      SwapKill{"AsideKeep", 1, 0, false, false},
                      SwapKill{"IntoTheFreedNameUndo", 2, 0, false, true},
                      SwapKill{"IntoTheFreedNameKeep", 2, 0, false, false},
                      SwapKill{"FirstFileDoneUndo", 0, 1, false, true},
                      SwapKill{"FirstFileDoneKeep", 0, 1, false, false},
                      SwapKill{"OffTheTemporaryNameUndo", 3, 0, false, true},
                      SwapKill{"OffTheTemporaryNameKeep", 3, 0, false, false},
                      SwapKill{"BothDoneUndo", 0, 2, false, true},
                      SwapKill{"UndoAsideFinish", 1, 0, true, true},
                      SwapKill{"UndoAsideKeep", 1, 0, true, false},
                      SwapKill{"UndoIntoTheFreedNameFinish", 2, 0, true, true},
                      SwapKill{"UndoOffTheTemporaryNameFinish", 3, 0, true, true},
                      SwapKill{"UndoOffTheTemporaryNameKeep", 3, 0, true, false},
                      // Both names of the waiting file are taken: Keep finishes the rotation.
                      SwapKill{"RotationHalfWayKeep", 3, 0, false, false, {"x_2", "x_0", "x_1"}},
                      SwapKill{"RotationHalfWayUndo", 3, 0, false, true, {"x_2", "x_0", "x_1"}}),
    [](const ::testing::TestParamInfo<SwapKill>& info) { return info.param.name; });

} // namespace
} // namespace tarvolin
