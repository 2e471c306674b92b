// A batch big enough to rename on a thread of its own tells its caller the same, in the same
// order, and leaves the same files, as one kept to the caller's thread: done, stopped in the
// middle by a real refusal (the files after it untouched), or through a swap of names; and
// its journal undoes it.
#include "FileOps.h"
#include "RecordingOutlets.h"
#include "RecordingUndoReport.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "StepHandOver.h"
#include "TempDir.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <stdexcept>

namespace tarvolin {
namespace {

// More than the renames may run ahead of the rows, so the renaming thread is still there when
// the first row is read.
constexpr int kFiles = 600;
constexpr int kStopsAt = 550; // beyond that lead, for the same reason

enum class Before { Nothing, TargetTaken, RemovedBeforeRun, Swap };

struct ThreadCase {
    const char* label;
    Before setup;
};

void PrintTo(const ThreadCase& c, std::ostream* out) {
    *out << c.label;
}

int CountThreads() {
    int threads = 0;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
        ++threads;
    return threads;
}

// Counts the threads of the process before the run and at its first row.
class ThreadCountingOutlets final : public test::RecordingOutlets {
public:
    void RowChanged(int position, const std::string& path) override {
        if (atFirstRow == 0)
            atFirstRow = CountThreads();
        RecordingOutlets::RowChanged(position, path);
    }
    int before = CountThreads();
    int atFirstRow = 0;
};

using Files = std::map<std::string, std::string>;

Files Contents(const test::TempDir& dir) {
    Files found;
    for (const std::string& name : test::ListDir(dir.path()))
        found[name] = test::ReadFile(dir / name);
    return found;
}

struct RunSeen {
    std::vector<std::string> events; // the folder's path written as DIR
    Files after;
    Files undone;
    int addedThreads = 0;
};

RunSeen RunBatchOf(Before setup, bool oneThread) {
    test::TempDir dir, state;
    std::vector<std::string> paths;
    for (int i = 0; i < kFiles; ++i) {
        const bool swapped = setup == Before::Swap && i < 2;
        paths.push_back(dir / (swapped ? "n_" + std::to_string(1 - i) : "f" + std::to_string(i)));
        test::WriteFile(paths.back(), std::to_string(i));
    }
    if (setup == Before::TargetTaken)
        test::WriteFile(dir / ("n_" + std::to_string(kStopsAt)), "unlisted");
    if (setup == Before::RemovedBeforeRun)
        std::remove(paths[kStopsAt].c_str());
    const Files before = Contents(dir);
    ThreadCountingOutlets outlets;
    outlets.files.KeepToOneThread(oneThread);
    RenameOptions options;
    options.baseName = "n";
    RunJournaledRenameJob(paths, options, outlets, state.path());
    RunSeen seen{{}, Contents(dir), {}, outlets.atFirstRow - outlets.before};
    for (std::string event : outlets.events) {
        for (std::size_t at; (at = event.find(dir.path())) != std::string::npos;)
            event.replace(at, dir.path().size(), "DIR");
        seen.events.push_back(event);
    }
    test::RecordingUndoReport report;
    EXPECT_EQ(UndoLastRun(outlets.files, state.path(), report).result, UndoResult::Finished);
    seen.undone = Contents(dir);
    EXPECT_EQ(seen.undone, before);
    return seen;
}

class TwoThreadRun : public ::testing::TestWithParam<ThreadCase> {};

TEST_P(TwoThreadRun, TellsAndLeavesWhatOneThreadDoes) {
    const Before setup = GetParam().setup;
    const RunSeen inline_ = RunBatchOf(setup, true);
    const RunSeen threaded = RunBatchOf(setup, false);
    EXPECT_EQ(inline_.addedThreads, 0);
    EXPECT_GT(threaded.addedThreads, 0);
    EXPECT_EQ(threaded.events, inline_.events);
    EXPECT_EQ(threaded.after, inline_.after);
    const bool stops = setup == Before::TargetTaken || setup == Before::RemovedBeforeRun;
    const std::string last = std::to_string(stops ? kStopsAt - 1 : kFiles - 1);
    EXPECT_EQ(threaded.events.back(), stops ? "error Rename Error!" : "gauge " + last);
    if (stops) {
        EXPECT_EQ(threaded.events.end()[-3], "gauge " + last);
        EXPECT_EQ(threaded.after.count("f" + std::to_string(kStopsAt + 1)), 1u);
        EXPECT_EQ(threaded.after.count("n_" + std::to_string(kStopsAt + 1)), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TwoThreadRun,
                         ::testing::Values(ThreadCase{"AllDone", Before::Nothing},
                                           ThreadCase{"TargetTaken", Before::TargetTaken},
                                           ThreadCase{"RemovedBeforeRun", Before::RemovedBeforeRun},
                                           ThreadCase{"Swap", Before::Swap}),
                         [](const auto& info) { return std::string(info.param.label); });

// A file whose time the run sets is known by what it left, which must reach the journal
// before the next file moves: such a run keeps to one thread.
TEST(TwoThreadRun, ARunSettingTimesKeepsToOneThread) {
    test::TempDir dir, state;
    std::vector<std::string> paths;
    for (int i = 0; i < kFiles; ++i) {
        paths.push_back(dir / ("f" + std::to_string(i)));
        test::WriteFile(paths.back(), "");
    }
    ThreadCountingOutlets outlets;
    RenameOptions options;
    options.baseName = "n";
    options.setModifyTime = true;
    options.modifyDate = {2020, 5, 17, 0, 0, 0};
    options.modifyTime = {1899, 12, 30, 8, 30, 0};
    RunJournaledRenameJob(paths, options, outlets, state.path());
    EXPECT_TRUE(outlets.errors.empty());
    EXPECT_EQ(outlets.atFirstRow - outlets.before, 0);
}

// What either side throws reaches the caller once the thread has ended, every step taken
// before it followed, and the taker stops soon after a follower that threw.
TEST(TwoThreadRun, WhatEitherSideThrowsLeavesOnTheCallersThread) {
    constexpr int kThrowsAt = 300;
    for (const bool takerThrows : {true, false}) {
        std::atomic<int> taken = 0;
        int followed = 0;
        const auto stepOf = [&](bool throwing, auto& done) {
            return [&, throwing](int step) {
                if (throwing && step == kThrowsAt)
                    throw std::runtime_error("step");
                ++done;
                return true;
            };
        };
        EXPECT_THROW(
            RunSteps(kFiles * 10, true, stepOf(takerThrows, taken), stepOf(!takerThrows, followed)),
            std::runtime_error);
        EXPECT_EQ(followed, kThrowsAt) << takerThrows;
        EXPECT_LE(taken.load(), kThrowsAt + kStepsAhead + 1) << takerThrows;
    }
}

} // namespace
} // namespace tarvolin
