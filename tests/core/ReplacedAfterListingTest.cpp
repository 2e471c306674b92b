// A run whose plan took its files' identities from a list that read them before the run, one
// of them replaced under its name since: undo puts the replacement back, as the journal's
// correction says; killed between that file's rename and the correction, undo leaves it alone
// and names it, since nothing proves it the run's. One removed since stops the run, and undo
// passes it over as a file the run never found.
#include "FileOps.h"
#include "RecordingOutlets.h"
#include "RecordingUndoReport.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "TempDir.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvolin {
namespace {

// Keeps each row's stamp as the window's list does: read when listed and on every RowChanged.
class ListingOutlets final : public test::RecordingOutlets {
public:
    ListingOutlets(const std::vector<std::string>& paths, bool killAtFirstRow)
        : kill_(killAtFirstRow) {
        for (const std::string& path : paths)
            stamps_.push_back(files.ReadFileSummaryAndStamp(path).stamp);
    }
    void RowChanged(int position, const std::string& path) override {
        if (kill_)
            raise(SIGKILL); // just after the first rename
        RecordingOutlets::RowChanged(position, path);
        stamps_.at(static_cast<std::size_t>(position)) = files.ReadFileSummaryAndStamp(path).stamp;
    }
    std::optional<FileStamp> KnownStamp(int position) override {
        return stamps_.at(static_cast<std::size_t>(position));
    }

private:
    bool kill_;
    std::vector<std::optional<FileStamp>> stamps_;
};

struct ReplacedCase {
    const char* label;
    bool removed; // b.txt removed after the listing, rather than a.txt replaced
    bool killed;
    std::map<std::string, std::string> after; // name: content, once undone
    std::vector<std::string> skipped;
};

void PrintTo(const ReplacedCase& c, std::ostream* out) {
    *out << c.label;
}

class ReplacedAfterListing : public ::testing::TestWithParam<ReplacedCase> {};

TEST_P(ReplacedAfterListing, UndoesTheFileTheRunTookOrLeavesItAlone) {
    const ReplacedCase& c = GetParam();
    test::TempDir dir, state;
    const std::vector<std::string> paths = {dir / "a.txt", dir / "b.txt"};
    test::WriteFile(paths[0], "listed");
    test::WriteFile(paths[1], "b");
    ListingOutlets outlets(paths, c.killed);
    // Held open, the listed file keeps its number: a replacement made within the same tick of
    // the volume's clock could otherwise get both its number and its birth time, and be it.
    const int listedFile = open(paths[0].c_str(), O_RDONLY);
    ASSERT_GE(listedFile, 0);
    ASSERT_EQ(std::remove(paths[c.removed ? 1 : 0].c_str()), 0);
    if (!c.removed)
        test::WriteFile(paths[0], "replaced after the listing");
    RenameOptions options;
    options.baseName = "n";
    test::RecordingUndoReport report;
    if (c.killed) {
        const pid_t child = fork();
        if (child == 0) {
            RunJournaledRenameJob(paths, options, outlets, state.path());
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        const std::optional<UnfinishedRun> run = FindUnfinishedRun(outlets.files, state.path());
        ASSERT_TRUE(run);
        UndoUnfinishedRun(outlets.files, state.path(), *run, report);
    } else {
        RunJournaledRenameJob(paths, options, outlets, state.path());
        ASSERT_EQ(outlets.errors.size(), c.removed ? 1u : 0u);
        EXPECT_EQ(UndoLastRun(outlets.files, state.path(), report).result, UndoResult::Finished);
    }
    std::map<std::string, std::string> found;
    for (const std::string& name : test::ListDir(dir.path()))
        found[name] = test::ReadFile(dir / name);
    EXPECT_EQ(found, c.after);
    std::vector<std::string> skipped;
    for (const std::string& name : c.skipped)
        skipped.push_back(dir / name);
    EXPECT_EQ(report.skipped, skipped);
    close(listedFile);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplacedAfterListing,
    ::testing::Values(ReplacedCase{"Finished",
                                   false,
                                   false,
                                   {{"a.txt", "replaced after the listing"}, {"b.txt", "b"}},
                                   {}},
                      ReplacedCase{"KilledAfterItsRename",
                                   false,
                                   true,
                                   {{"n_0.txt", "replaced after the listing"}, {"b.txt", "b"}},
                                   {"n_0.txt"}},
                      ReplacedCase{"Removed", true, false, {{"a.txt", "listed"}}, {}}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace tarvolin
