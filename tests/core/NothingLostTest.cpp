// Random lists over real files: duplicates, names that collide with each other and with
// files outside the list, vanished files and read-only files. Whatever the run does, every
// file's content must still be on disk exactly once, and the list must agree with the disk.

#include "NameFieldCheck.h"
#include "NameRules.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "RenameOrder.h"
#include "TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <sys/stat.h>

namespace tarvolin {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RecordingOutlets;
using test::TempDir;
using test::WriteFile;

const std::vector<std::string> kNamePool = {"a.txt",      "b.doc",   "c",    "x_0.txt",  "x_1.txt",
                                            "x_2",        "x_3.txt", "y_1",  "y_2.dat",  ".hidden",
                                            "sp ace.txt", "q?.txt",  "st*r", "new\nline"};
const std::vector<std::string> kBaseNames = {"", "x", "y", "sub/x"};
const std::vector<std::string> kExtensions = {"", "txt", "dat"};

using DiskState = std::map<std::string, std::string>; // path -> content

DiskState ReadDisk(const std::string& root) {
    DiskState disk;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            disk[entry.path().string()] = ReadFile(entry.path().string());
    return disk;
}

std::multiset<std::string> Contents(const DiskState& disk) {
    std::multiset<std::string> contents;
    for (const auto& [path, content] : disk)
        contents.insert(content);
    return contents;
}

struct Scenario {
    std::vector<std::string> fileNames;
    RenameOptions options;
    bool hasSubdirectory = false;
};

template <typename T>
const T& Pick(std::mt19937& random, const std::vector<T>& values) {
    return values[std::uniform_int_distribution<std::size_t>(0, values.size() - 1)(random)];
}

bool Chance(std::mt19937& random) {
    return std::bernoulli_distribution(0.5)(random);
}

Scenario MakeScenario(std::mt19937& random, const TempDir& dir) {
    Scenario scenario;
    scenario.hasSubdirectory = Chance(random);
    if (scenario.hasSubdirectory)
        mkdir((dir / "sub").c_str(), 0755);

    std::vector<std::string> existing;
    for (const std::string& name : kNamePool) {
        if (std::bernoulli_distribution(0.4)(random)) {
            WriteFile(dir / name, "content of " + name);
            existing.push_back(dir / name);
        }
    }
    const int listLength = std::uniform_int_distribution<int>(1, 8)(random);
    for (int i = 0; i < listLength; ++i) {
        const bool vanished = existing.empty() || std::bernoulli_distribution(0.15)(random);
        scenario.fileNames.push_back(vanished ? dir / ("gone" + std::to_string(i))
                                              : Pick(random, existing));
    }
    for (const std::string& path : existing) {
        if (std::bernoulli_distribution(0.2)(random))
            chmod(path.c_str(), 0444);
    }

    RenameOptions& options = scenario.options;
    options.baseName = Pick(random, kBaseNames);
    options.startNumber = std::uniform_int_distribution<int>(0, 3)(random);
    options.replaceExtension = Chance(random);
    options.extension = Pick(random, kExtensions);
    options.setAttributes = Chance(random);
    options.attributes = Chance(random) ? kReadOnly : 0;
    options.attributes |= Chance(random) ? kHidden : 0;
    options.setCreationTime = std::bernoulli_distribution(0.3)(random);
    options.creationDate = {2020, 2, 3};
    options.setModifyTime = std::bernoulli_distribution(0.3)(random);
    options.modifyDate = {2021, 4, 5};
    return scenario;
}

// What the disk, the list and the error box should be after the run, worked out on a copy
// of the disk without touching it.
struct Expected {
    DiskState disk;
    std::vector<std::string> fileNames;
    std::vector<std::string> errors;
};

// Moves the entry of `from` on the copy of the disk; false where the run's rename fails.
bool PredictMove(DiskState& disk, const Scenario& scenario, const std::string& root,
                 const std::string& from, const std::string& to) {
    const bool targetDirectoryExists =
        ExtractDirectory(to) == root + "/" ||
        (scenario.hasSubdirectory && ExtractDirectory(to) == root + "/sub/");
    const bool namesADirectory =
        to == root + "/" || (scenario.hasSubdirectory && to == root + "/sub/");
    if (!disk.contains(from) ||
        (to != from && (disk.contains(to) || namesADirectory || !targetDirectoryExists)))
        return false;
    auto node = disk.extract(from);
    node.key() = to;
    disk.insert(std::move(node));
    return true;
}

// The run takes its files in the order that frees names first, the file of a cycle waiting
// under a temporary name beside it (RenameOrder.h); a run that stops puts a waiting file back
// where its old name is free.
Expected PredictRun(const Scenario& scenario, DiskState disk, const std::string& root) {
    Expected expected{std::move(disk), scenario.fileNames, {}};
    const RenameOptions& options = scenario.options;
    if (const std::optional<std::string> fault = FindNameFieldFault(options)) {
        expected.errors.push_back(*fault);
        return expected;
    }
    std::vector<std::string> newPaths, from, to;
    for (std::size_t i = 0; i < expected.fileNames.size(); ++i)
        newPaths.push_back(ComposeBatchName(expected.fileNames[i], static_cast<int>(i), options));
    const std::vector<std::size_t> order = OrderRenames(expected.fileNames, newPaths);
    for (const std::size_t i : order) {
        from.push_back(expected.fileNames[i]);
        to.push_back(newPaths[i]);
    }
    const std::vector<std::optional<std::size_t>> parkings = FindParkings(from, to);
    constexpr std::size_t kNone = SIZE_MAX;
    std::size_t waiting = kNone; // the list position of a file under a temporary name
    for (std::size_t k = 0; k < order.size(); ++k) {
        bool moved = true;
        if (const std::optional<std::size_t> aside = parkings[k]) {
            waiting = order[*aside];
            const std::string temporary = ExtractDirectory(from[*aside]) + "." +
                                          to[*aside].substr(ExtractDirectory(to[*aside]).size()) +
                                          ".Tarvolin-Cycle-0";
            moved = PredictMove(expected.disk, scenario, root, from[*aside], temporary);
            expected.fileNames[waiting] = moved ? temporary : from[*aside];
        }
        std::string& path = expected.fileNames[order[k]];
        moved = moved && PredictMove(expected.disk, scenario, root, path, to[k]);
        if (!moved) {
            expected.errors.push_back(kRenameErrorText);
            if (waiting != kNone &&
                PredictMove(expected.disk, scenario, root, expected.fileNames[waiting],
                            scenario.fileNames[waiting]))
                expected.fileNames[waiting] = scenario.fileNames[waiting];
            return expected;
        }
        path = to[k];
        if (waiting == order[k])
            waiting = kNone;
    }
    return expected;
}

TEST(NothingLost, RandomListsKeepEveryFileExactlyOnce) {
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        TempDir dir;
        Scenario scenario = MakeScenario(random, dir);
        const DiskState before = ReadDisk(dir.path());
        const Expected expected = PredictRun(scenario, before, dir.path());

        RecordingOutlets outlets;
        outlets.Follow(scenario.fileNames);
        RunRenameJob(scenario.fileNames, scenario.options, outlets);
        const DiskState after = ReadDisk(dir.path());

        ASSERT_EQ(Contents(after), Contents(before));
        ASSERT_EQ(after, expected.disk);
        ASSERT_EQ(scenario.fileNames, expected.fileNames);
        ASSERT_EQ(outlets.errors, expected.errors);
    }
}

} // namespace
} // namespace tarvolin
