// Renames N empty files with the batch run, the way the window drives it (journaled, each
// row re-read after its rename), and compares that with the fewest system calls the same
// work needs: one rename, one statx and one getxattr per file.
//
//   rename_bench [N] [directory]     N defaults to 100000; the directory to /dev/shm.
// The journal goes to $XDG_STATE_HOME as in the program, by default a folder beside the files.

#include "FileOps.h"
#include "RenameJob.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
// The best of several turns each, taken in alternation, so that a busy moment of the machine
// weighs on neither side alone.
constexpr int kRounds = 5;
volatile long benchSink = 0;
using tarvolin::RenameOptions;

// Re-reads every changed row as the window does; the gauge is a plain number.
class RowRereadingOutlets : public tarvolin::RenameOutlets {
public:
    tarvolin::FileLayer files;
    tarvolin::FileLayer& Files() override { return files; }
    void SetGaugeRange(int, int) override {}
    void SetGaugePosition(int position) override { gauge = position; }
    explicit RowRereadingOutlets(std::vector<std::string>& paths) : paths_(paths) {}
    void RowChanged(int position, const std::string& path) override {
        paths_[static_cast<std::size_t>(position)] = path;
        const tarvolin::FileSummary summary = files.ReadFileSummary(path);
        checksum += summary.attributes + (summary.modifyTime ? summary.modifyTime->second : 0);
    }
    void ShowError(const std::string& text) override {
        throw std::runtime_error("the run failed: " + text);
    }
    int gauge = 0;
    long checksum = 0;

private:
    std::vector<std::string>& paths_; // the list the run's new paths go to, as the window's do
};

std::vector<std::string> MakeFiles(const std::string& dir, int count) {
    std::filesystem::create_directories(dir);
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        paths.push_back(dir + "/file" + std::to_string(i) + ".dat");
        const int fd = open(paths.back().c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            throw std::runtime_error("cannot create " + paths.back());
        close(fd);
    }
    return paths;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double TimeRenameJob(std::vector<std::string>& paths, const std::string& base) {
    RenameOptions options;
    options.baseName = base;
    RowRereadingOutlets outlets(paths);
    const auto start = Clock::now();
    tarvolin::RunJournaledRenameJob(paths, options, outlets, tarvolin::JournalDirectory());
    return SecondsSince(start);
}

double TimePlainLoop(std::vector<std::string>& paths, const std::string& dir,
                     const std::string& base) {
    char xattr[256];
    long checksum = 0;
    const auto start = Clock::now();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::string target = dir + "/" + base + "_" + std::to_string(i) + ".dat";
        if (renameat2(AT_FDCWD, paths[i].c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE))
            throw std::runtime_error("rename failed in the plain loop");
        struct statx st {};
        statx(AT_FDCWD, target.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st);
        checksum += getxattr(target.c_str(), "user.DOSATTRIB", xattr, sizeof xattr);
        checksum += static_cast<long>(st.stx_mtime.tv_sec);
        paths[i] = std::move(target);
    }
    const double seconds = SecondsSince(start);
    benchSink = checksum; // keeps the reads from being optimised away
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::string root = (argc > 2 ? std::string(argv[2]) : std::string("/dev/shm")) +
                             "/tarvolin-bench-" + std::to_string(getpid());
    setenv("XDG_STATE_HOME", (root + "/state").c_str(), 0);
    try {
        std::vector<std::string> jobFiles = MakeFiles(root + "/job", count);
        std::vector<std::string> loopFiles = MakeFiles(root + "/loop", count);
        double bestJob = 1e9;
        double bestLoop = 1e9;
        for (int round = 0; round < kRounds; ++round) {
            const std::string base = "round" + std::to_string(round);
            bestJob = std::min(bestJob, TimeRenameJob(jobFiles, base));
            bestLoop = std::min(bestLoop, TimePlainLoop(loopFiles, root + "/loop", base));
        }
        std::filesystem::remove_all(root);
        std::printf("files %d\n", count);
        std::printf("run  %.3f s (RunJournaledRenameJob, rows re-read)\n", bestJob);
        std::printf("loop %.3f s (rename + statx + getxattr)\n", bestLoop);
        std::printf("ratio %.3f\n", bestJob / bestLoop);
    } catch (const std::exception& error) {
        std::filesystem::remove_all(root);
        std::fprintf(stderr, "rename_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
