// Whatever lies in the journal folder under a journal's name: undo and the start-up search
// neither crash, hang nor swallow memory, say which entry they could not read, and leave it.
#include "JournalShelf.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "TempDir.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvolin {
namespace {

constexpr const char* kNewest = "run-seq-00000000000000000009.journal";

struct NoJournal {
    const char* name;
    std::function<bool(const std::string& path)> make;
};

const NoJournal kNoJournals[] = {
    {"Folder", [](const std::string& path) { return mkdir(path.c_str(), 0700) == 0; }},
    {"Pipe", [](const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }},
    {"LinkToAnEndlessDevice",
     [](const std::string& path) { return symlink("/dev/zero", path.c_str()) == 0; }},
    {"OneEndlessLine",
     [](const std::string& path) {
         test::WriteFile(path, "");
         return truncate(path.c_str(), 1LL << 30) == 0; // no disk space: all of it a hole
     }},
};

void PrintTo(const NoJournal& entry, std::ostream* out) {
    *out << entry.name;
}

// As at a start, then as Ctrl+Z: nothing to recover, and an undo that names the entry.
bool SearchAndUndo(const std::string& folder, const std::string& entry) {
    struct : UndoReport {
        void FileRestored(const std::string&, const std::string&) override {}
        void FileSkipped(const std::string&, const std::string&) override {}
    } report;
    const bool found = FindUnfinishedRun(folder).has_value();
    const UndoOutcome outcome = UndoLastRun(folder, report);
    PruneJournals(folder);
    return !found && outcome.result == UndoResult::Refused &&
           outcome.message.find(entry) != std::string::npos;
}

class JournalFolder : public ::testing::TestWithParam<NoJournal> {};

TEST_P(JournalFolder, AnEntryThatIsNoJournalIsReportedAndLeft) {
    test::TempDir files, state;
    std::vector<std::string> paths = {files / "a.txt"};
    test::WriteFile(paths[0], "a");
    test::RecordingOutlets outlets;
    RunJournaledRenameJob(paths, RenameOptions{}, outlets, state.path());
    const std::vector<std::string> renamed = test::ListDir(files.path());
    const std::string entry = state / kNewest;
    ASSERT_TRUE(GetParam().make(entry));

    // In a child, whose memory is measured alone.
    const pid_t child = fork();
    if (child == 0) {
        int code = 2;
        try {
            code = SearchAndUndo(state.path(), entry) ? 0 : 1;
        } catch (...) {
        }
        _exit(code);
    }
    int status = -1;
    struct rusage usage {};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_LT(usage.ru_maxrss, 64 * 1024) << "kB"; // the endless line is 1 GiB
    EXPECT_TRUE(test::Exists(entry));
    EXPECT_EQ(test::ListDir(files.path()), renamed);
}

INSTANTIATE_TEST_SUITE_P(Entries, JournalFolder, ::testing::ValuesIn(kNoJournals),
                         [](const ::testing::TestParamInfo<NoJournal>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace tarvolin
