// Whatever lies in the journal folder under a journal's name: undo and the start-up search
// neither crash, hang nor swallow memory, say which entry they could not read, and leave it.
#include "JournalShelf.h"
#include "NumberedOptions.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "TempDir.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
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
    FileLayer layer;
    const bool found = FindUnfinishedRun(layer, folder).has_value();
    const UndoOutcome outcome = UndoLastRun(layer, folder, report);
    PruneJournals(folder);
    return !found && outcome.result == UndoResult::Refused &&
           outcome.message.find(entry) != std::string::npos;
}

// A line of /proc/self/status, in kB.
long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field))
            return std::stol(line.substr(field.size()));
    return -1;
}

// Exit codes of the child that searches and undoes.
constexpr int kReported = 0, kNotReported = 1, kThrew = 2, kSwallowedMemory = 3;

// The child's own peak is measured from what it was born with: a forked child starts with
// its parent's resident pages, which a long test run or a sanitizer makes large.
int SearchAndUndoInChild(const std::string& folder, const std::string& entry) {
    const long born = StatusKb("VmRSS:");
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
    try {
        const bool reported = SearchAndUndo(folder, entry);
        if (StatusKb("VmHWM:") - born > 64 * 1024)
            return kSwallowedMemory;
        return reported ? kReported : kNotReported;
    } catch (...) {
        return kThrew;
    }
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
        if (child == 0)
            _exit(SearchAndUndoInChild(state.path(), entry));
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), kReported)
            << "1: not reported, 2: threw, 3: grew by more than 64 MiB";
        EXPECT_TRUE(test::Exists(entry));
        EXPECT_EQ(test::ListDir(files.path()), std::vector<std::string>{"n_0.txt"});
    }
}

} // namespace
} // namespace tarvolin
