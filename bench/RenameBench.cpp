// Renames N empty files in one folder three ways, each several times in alternation, and
// prints the best time of each against the fewest system calls the same work needs:
//
//   floor    one renameat2(RENAME_NOREPLACE), one statx and one getxattr("user.DOSATTRIB") per
//            file, every name relative to the open folder (the getxattr through the working
//            directory, which the loop moves into the folder, since no getxattr takes a
//            directory descriptor on every kernel the program runs on);
//   core     RunRenameJob, each row re-read after its rename as the window does;
//   journal  RunJournaledRenameJob, the same, as "Start" runs it: the rows are read once when
//            the files are listed (untimed, as "Add Files" reads them), and give the run the
//            stamps they read, as the window's rows do.
//
//   rename_bench [N] [directory] [turns]   N defaults to 100000, the directory to /dev/shm,
//                                          turns to 5.
// The journal goes to $XDG_STATE_HOME as in the program, by default a folder beside the
// files, so on the volume under test its fsync counts too. All three rename the same files in
// turn, so each finds the folder just as large.

#include "FileOps.h"
#include "RenameJob.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Wall time and the processor time the process used (user and system), from one start: on a
// busy machine the wall clock also counts the time spent waiting for a processor, which the
// processor time leaves out.
struct Mark {
    Clock::time_point wall = Clock::now();
    double processor = ProcessorSeconds();

    static double ProcessorSeconds() {
        struct rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        return seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
};

struct Took {
    double wall = 1e9;
    double processor = 1e9;
    void KeepBest(const Took& other) {
        wall = std::min(wall, other.wall);
        processor = std::min(processor, other.processor);
    }
};

Took Since(const Mark& start) {
    return {std::chrono::duration<double>(Clock::now() - start.wall).count(),
            Mark::ProcessorSeconds() - start.processor};
}
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
        Note(files.ReadFileSummaryAndStamp(path).summary);
    }
    void ShowError(const std::string& text) override {
        throw std::runtime_error("the run failed: " + text);
    }
    int gauge = 0;
    long checksum = 0;

protected:
    void Note(const tarvolin::UtcFileSummary& summary) {
        checksum += summary.attributes + (summary.modifyTime ? summary.modifyTime->seconds : 0);
    }

    std::vector<std::string>& paths_; // the list the run's new paths go to, as the window's do
};

// The same, keeping each row's stamp as the window's rows do, read when the files are listed.
class ListedRowOutlets final : public RowRereadingOutlets {
public:
    explicit ListedRowOutlets(std::vector<std::string>& paths) : RowRereadingOutlets(paths) {
        stamps_.reserve(paths.size());
        for (const std::string& path : paths)
            stamps_.push_back(Read(path));
    }
    void RowChanged(int position, const std::string& path) override {
        paths_[static_cast<std::size_t>(position)] = path;
        stamps_[static_cast<std::size_t>(position)] = Read(path);
    }
    std::optional<tarvolin::FileStamp> KnownStamp(int position) override {
        return stamps_[static_cast<std::size_t>(position)];
    }

private:
    std::optional<tarvolin::FileStamp> Read(const std::string& path) {
        tarvolin::FileSummaryAndStamp read = files.ReadFileSummaryAndStamp(path);
        Note(read.summary);
        return std::move(read.stamp);
    }

    std::vector<std::optional<tarvolin::FileStamp>> stamps_;
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

// `oneThread`: the run keeps to the caller's thread, as it did before its renames went on
// beside the rows' reads.
Took TimeCore(std::vector<std::string>& paths, const std::string& base, bool oneThread) {
    RenameOptions options;
    options.baseName = base;
    RowRereadingOutlets outlets(paths);
    outlets.files.KeepToOneThread(oneThread);
    const std::vector<std::string> listed = paths; // the window's list, read once by the run
    const Mark start;
    tarvolin::RunRenameJob(listed, options, outlets);
    return Since(start);
}

Took TimeJournaled(std::vector<std::string>& paths, const std::string& base, bool oneThread) {
    RenameOptions options;
    options.baseName = base;
    ListedRowOutlets outlets(paths); // the files listed, before the clock starts
    outlets.files.KeepToOneThread(oneThread);
    const std::vector<std::string> listed = paths;
    const Mark start;
    tarvolin::RunJournaledRenameJob(listed, options, outlets, tarvolin::JournalDirectory());
    return Since(start);
}

std::string LastComponent(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The new names are made as the run makes them (base_index.dat); the list learns the new
// paths after the clock stops, so that the floor pays for nothing the calls do not need.
Took TimeFloor(std::vector<std::string>& paths, const std::string& dir, const std::string& base) {
    std::vector<std::string> oldNames;
    oldNames.reserve(paths.size());
    for (const std::string& path : paths)
        oldNames.push_back(LastComponent(path));
    const int folder = open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int home = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0 || home < 0 || fchdir(folder) != 0)
        throw std::runtime_error("cannot enter " + dir);
    char xattr[256];
    char target[256];
    long checksum = 0;
    const Mark start;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::snprintf(target, sizeof target, "%s_%zu.dat", base.c_str(), i + 1);
        if (renameat2(folder, oldNames[i].c_str(), folder, target, RENAME_NOREPLACE))
            throw std::runtime_error("rename failed in the floor loop");
        struct statx st {};
        statx(folder, target, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st);
        checksum += lgetxattr(target, "user.DOSATTRIB", xattr, sizeof xattr);
        checksum += static_cast<long>(st.stx_mtime.tv_sec);
    }
    const Took took = Since(start);
    if (fchdir(home) != 0)
        throw std::runtime_error("cannot go back to the working directory");
    close(home);
    close(folder);
    benchSink = checksum; // keeps the reads from being optimised away
    for (std::size_t i = 0; i < paths.size(); ++i)
        paths[i] = dir + "/" + base + "_" + std::to_string(i + 1) + ".dat";
    return took;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::string root = (argc > 2 ? std::string(argv[2]) : std::string("/dev/shm")) +
                             "/tarvolin-bench-" + std::to_string(getpid());
    const int turns = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    setenv("XDG_STATE_HOME", (root + "/state").c_str(), 0);
    try {
        const std::string dir = root + "/files";
        std::vector<std::string> files = MakeFiles(dir, count);
        Took floor;
        Took core;
        Took journal;
        Took coreOneThread;
        Took journalOneThread;
        int round = 0;
        // Alternated, so that a busy moment of the machine weighs on no side alone.
        for (int turn = 0; turn < turns; ++turn) {
            floor.KeepBest(TimeFloor(files, dir, "f" + std::to_string(round++)));
            core.KeepBest(TimeCore(files, "c" + std::to_string(round++), false));
            journal.KeepBest(TimeJournaled(files, "j" + std::to_string(round++), false));
            coreOneThread.KeepBest(TimeCore(files, "d" + std::to_string(round++), true));
            journalOneThread.KeepBest(TimeJournaled(files, "k" + std::to_string(round++), true));
        }
        std::filesystem::remove_all(root);
        std::printf("files %d, best of %d turns each; wall and processor (user + system) time\n",
                    count, turns);
        std::printf("floor   %.3f s  cpu %.3f s  (renameat2 + statx + getxattr, names relative "
                    "to the folder)\n",
                    floor.wall, floor.processor);
        const auto print = [&](const char* name, const Took& took, const char* what) {
            std::printf("%s %.3f s  cpu %.3f s  ratio %.3f  cpu ratio %.3f  (%s)\n", name,
                        took.wall, took.processor, took.wall / floor.wall,
                        took.processor / floor.processor, what);
        };
        print("core    ", core,
              "RunRenameJob, rows re-read on the caller's thread beside the "
              "renames");
        print("journal ", journal, "RunJournaledRenameJob, rows re-read, stamps from the rows");
        print("core 1t ", coreOneThread, "the same on one thread");
        print("journal 1t", journalOneThread, "the same on one thread");
    } catch (const std::exception& error) {
        std::filesystem::remove_all(root);
        std::fprintf(stderr, "rename_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
