// What the file layer promises on every kind of volume when something happens in the middle of
// one of its steps: another program at work in the folder, or the program killed. Linux only:
// the steps are reached through the Linux backend's step hook, and the kill is a forked child.
// VolumeContractTest.cpp instantiates these cases with its own.

#include "FileOps.h"
#include "StepHook.h"
#include "TempDir.h"
#include "VolumeUnderTest.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvolin {
namespace {

using test::WriteFile;

using test::OnEveryVolume;

// Other programs at work in the folder while a file moves: an editor saving the old name
// atomically, and a program creating the new name. Neither loses its file.
TEST_P(OnEveryVolume, OtherProgramsFilesSurviveAMove) {
    WriteFile(*this / "a.txt", "old");
    bool reached = false;
    bool othersCreateRefused = false;
    FileLayer files;
    files.ArmStepHook([&](Step step) {
        if (step != Step::NameReserved)
            return;
        reached = true;
        WriteFile(*this / ".a.txt.save", "saved");
        rename((*this / ".a.txt.save").c_str(), (*this / "a.txt").c_str());
        const int fd = open((*this / "b.txt").c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
        othersCreateRefused = fd < 0;
        if (fd >= 0)
            close(fd);
    });
    EXPECT_TRUE(files.RenameOnDisk(*this / "a.txt", *this / "b.txt"));
    EXPECT_EQ(reached, kind().renamesWithoutFlags);
    EXPECT_TRUE(othersCreateRefused || !reached);
    EXPECT_EQ(Names(), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(test::ReadFile(*this / "b.txt"), reached ? "saved" : "old");
}

// A crash in the middle of a move leaves the file whole under its old name; at worst the new
// name holds the empty reservation.
TEST_P(OnEveryVolume, ACrashInAMoveLosesNothing) {
    if (!kind().renamesWithoutFlags)
        GTEST_SKIP() << "the kernel moves in one step here";
    WriteFile(*this / "a.txt", "content");
    const pid_t child = fork();
    if (child == 0) {
        FileLayer files;
        files.ArmStepHook([](Step) { _exit(9); });
        files.RenameOnDisk(*this / "a.txt", *this / "b.txt");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 9);
    EXPECT_EQ(test::ReadFile(*this / "a.txt"), "content");
    EXPECT_EQ(test::ReadFile(*this / "b.txt"), "");
}

// Announces every temporary name of a letter-case change down a pipe, as a run journal would
// record it.
class AnnounceDownAPipe final : public CaseChangeListener {
public:
    explicit AnnounceDownAPipe(int fd) : fd_(fd) {}
    void CaseChangeStarting(const std::string&, const std::string& temporary,
                            const std::string&) override {
        const std::string line = temporary + "\n";
        [[maybe_unused]] const ssize_t written = write(fd_, line.data(), line.size());
    }
    void CaseChangeFinished(const std::string&) override {}

private:
    int fd_;
};

// A crash in the middle of a letter-case change leaves the file whole under the temporary name
// that was announced before, beside the new name and spelled after it.
TEST_P(OnEveryVolume, ACrashInALetterCaseChangeLeavesTheFileWhereItWasAnnounced) {
    WriteFile(*this / "report.txt", "content");
    int announcements[2];
    ASSERT_EQ(pipe(announcements), 0);
    const pid_t child = fork();
    if (child == 0) {
        AnnounceDownAPipe listener(announcements[1]);
        FileLayer files;
        files.SetCaseChangeListener(&listener);
        files.ArmStepHook([](Step step) {
            if (step == Step::MovedToCaseTemporary)
                _exit(9);
        });
        files.RenameOnDisk(*this / "report.txt", *this / "REPORT.txt");
        _exit(0);
    }
    close(announcements[1]);
    std::string announced;
    char buffer[512];
    for (ssize_t got; (got = read(announcements[0], buffer, sizeof buffer)) > 0;)
        announced.append(buffer, static_cast<std::size_t>(got));
    close(announcements[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (!kind().caseInsensitive) {
        EXPECT_EQ(WEXITSTATUS(status), 0) << "a plain rename changes the case here";
        return;
    }
    ASSERT_EQ(WEXITSTATUS(status), 9);
    ASSERT_FALSE(announced.empty());
    announced.pop_back();
    const std::string temporary = announced.substr(announced.find_last_of('\n') + 1);
    EXPECT_EQ(temporary.rfind(*this / ".REPORT.txt.Tarvolin-Case-", 0), 0u) << temporary;
    EXPECT_EQ(test::ReadFile(temporary), "content");
}

} // namespace
} // namespace tarvolin
