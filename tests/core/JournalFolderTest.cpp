// Whatever lies in the journal folder under a journal's name: undo and the start-up search
// neither crash, hang nor swallow memory, say which entry they could not read, and leave it.
#include "JournalShelf.h"
#include "NumberedOptions.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvolin {
namespace {

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

TEST(JournalFolder, AnEntryThatIsNoJournalIsReportedAndLeft) {
    const std::pair<const char*, std::function<int(const char*)>> entries[] = {
        {"folder", [](const char* path) { return mkdir(path, 0700); }},
        {"pipe", [](const char* path) { return mkfifo(path, 0600); }},
        {"link to an endless device", [](const char* path) { return symlink("/dev/zero", path); }},
        {"endless line", [](const char* path) { // 1 GiB of holes, no disk space
             test::WriteFile(path, "");
             return truncate(path, 1LL << 30);
         }}};
    for (const auto& [what, make] : entries) {
        SCOPED_TRACE(what);
        test::TempDir files, state;
        std::vector<std::string> paths = {files / "a.txt"};
        test::WriteFile(paths[0], "a");
        test::RecordingOutlets outlets;
        RunJournaledRenameJob(paths, test::Numbered("n"), outlets, state.path());
        const std::string entry = state / "run-seq-00000000000000000009.journal";
        ASSERT_EQ(make(entry.c_str()), 0);

        const pid_t child = fork(); // whose memory is measured alone
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
        EXPECT_LT(usage.ru_maxrss, 64 * 1024) << "kB";
        EXPECT_TRUE(test::Exists(entry));
        EXPECT_EQ(test::ListDir(files.path()), std::vector<std::string>{"n_0.txt"});
    }
}

} // namespace
} // namespace tarvolin
