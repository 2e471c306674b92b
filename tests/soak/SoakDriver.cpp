// The program's runs and its recovery without a window, for scripts/soak-kill.sh, which kills
// runs at random moments and then checks that every file is there once, under a proper name.
//
//   soak_driver make FOLDER COUNT           COUNT files IMG_00000.JPG..., each with its number
//   soak_driver run STATE FOLDER case|names renames every file of FOLDER, journaled in STATE:
//                                           the extension's letter case turned over, or a new
//                                           name of its own for each turn
//   soak_driver recover STATE undo|keep     answers the start-up box as a user would
//   soak_driver check FOLDER COUNT          counts lost, doubled, hidden and left-over files
#include "FileOps.h"
#include "RenameJob.h"
#include "RunUndo.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace tarvolin {
namespace {

class QuietOutlets final : public RenameOutlets {
public:
    FileLayer files;
    FileLayer& Files() override { return files; }
    void SetGaugeRange(int, int) override {}
    void SetGaugePosition(int) override {}
    void RowChanged(int, const std::string&) override {}
    void ShowError(const std::string& text) override {
        std::printf("run stopped: %s\n", text.c_str());
    }
};

class PrintingReport final : public UndoReport {
public:
    void FileRestored(const std::string&, const std::string&) override {}
    void FileSkipped(const std::string& path, const std::string& reason) override {
        std::printf("not restored %s: %s\n", path.c_str(), reason.c_str());
        ++skipped;
    }
    int skipped = 0;
};

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* listing = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Content(int number) {
    return "file " + std::to_string(number) + "\n";
}

int Make(const std::string& folder, int count) {
    for (int number = 0; number < count; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "/IMG_%05d.JPG", number);
        std::ofstream(folder + name, std::ios::binary) << Content(number);
    }
    return 0;
}

int Run(const std::string& state, const std::string& folder, const std::string& mode) {
    std::vector<std::string> paths;
    for (const std::string& name : Names(folder))
        paths.push_back(folder + "/" + name);
    if (paths.empty())
        return 1;
    RenameOptions options;
    if (mode == "case") {
        options.replaceExtension = true;
        options.extension = paths.front().ends_with(".JPG") ? "jpg" : "JPG";
    } else {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        options.baseName = "r" + std::to_string(now.count());
    }
    QuietOutlets outlets;
    RunJournaledRenameJob(paths, options, outlets, state);
    return 0;
}

// As the window does at start: each unfinished run once.
int Recover(const std::string& state, bool undo) {
    FileLayer files;
    std::string lastAsked;
    int failures = 0;
    while (const std::optional<UnfinishedRun> run = FindUnfinishedRun(files, state)) {
        if (run->path == lastAsked) {
            std::printf("still unfinished: %s\n", run->path.c_str());
            return 1;
        }
        lastAsked = run->path;
        std::printf("unfinished: %d of %zu moved, %d under a temporary name\n", run->moved,
                    run->contents.changes.size(), run->underTemporaryName);
        if (undo) {
            PrintingReport report;
            const UndoOutcome outcome = UndoUnfinishedRun(files, state, *run, report);
            failures += outcome.result == UndoResult::Refused ? 1 : report.skipped;
        } else if (!KeepUnfinishedRun(files, state, *run)) {
            std::printf("a file stays under a temporary name\n");
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

int Check(const std::string& folder, int count) {
    std::map<std::string, int> seen;
    int hidden = 0;
    int leftOver = 0;
    for (const std::string& name : Names(folder)) {
        const std::string path = folder + "/" + name;
        struct stat entry {};
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        if (name.find(".Tarvolin-Case-") != std::string::npos ||
            name.find(".Tarvolin-Cycle-") != std::string::npos)
            ++hidden;
        else if (lstat(path.c_str(), &entry) == 0 && entry.st_size == 0)
            ++leftOver;
        ++seen[content.str()];
    }
    int lost = 0;
    int doubled = 0;
    for (int number = 0; number < count; ++number) {
        const int times = seen[Content(number)];
        lost += times == 0 ? 1 : 0;
        doubled += times > 1 ? 1 : 0;
    }
    std::printf("lost %d doubled %d hidden %d leftover %d\n", lost, doubled, hidden, leftOver);
    return lost + doubled + hidden + leftOver == 0 ? 0 : 1;
}

} // namespace
} // namespace tarvolin

int main(int argc, char** argv) {
    using namespace tarvolin;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "make")
        return Make(args[1], std::stoi(args[2]));
    if (args.size() == 4 && args[0] == "run")
        return Run(args[1], args[2], args[3]);
    if (args.size() == 3 && args[0] == "recover")
        return Recover(args[1], args[2] == "undo");
    if (args.size() == 3 && args[0] == "check")
        return Check(args[1], std::stoi(args[2]));
    std::fprintf(stderr, "usage: soak_driver make|run|recover|check ...\n");
    return 2;
}
