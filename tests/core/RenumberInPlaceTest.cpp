// Renumbering in place: new names that other files of the same run hold and leave are no
// clash. Each file ends under the name its list position gives, with or without a journal,
// and undo puts every name back.
#include "RecordingOutlets.h"
#include "RecordingUndoReport.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <ostream>

namespace tarvolin {
namespace {

struct Renumbering {
    const char* name;
    std::vector<const char*> listed; // each file holds its own name as content
    int start;
    std::vector<std::string> after; // the name each listed file ends under
};

void PrintTo(const Renumbering& renumbering, std::ostream* out) {
    *out << renumbering.name;
}

const Renumbering kRenumberings[] = {
    {"Chain", {"x_1", "x_2", "x_3", "x_4", "x_5"}, 2, {"x_2", "x_3", "x_4", "x_5", "x_6"}},
    {"ReverseChain", {"x_1", "x_2", "x_3", "x_4", "x_5"}, 0, {"x_0", "x_1", "x_2", "x_3", "x_4"}},
    {"Swap", {"x_1", "x_0"}, 0, {"x_0", "x_1"}},
    {"Rotation", {"x_2", "x_0", "x_1", "x_4"}, 0, {"x_0", "x_1", "x_2", "x_3"}},
    // Where names ignore letter case (Windows), "X_2" holds "x_2".
    {"HeldUpToLetterCase", {"X_1", "X_2"}, 2, {"x_2", "x_3"}},
};

class RenumberInPlace : public testing::TestWithParam<std::tuple<Renumbering, bool>> {
protected:
    test::TempDir dir, journals;
    test::RecordingOutlets outlets;
};

TEST_P(RenumberInPlace, EndsUnderTheListedNamesAndUndoesToTheOldOnes) {
    const auto& [renumbering, journaled] = GetParam();
    std::vector<std::string> fileNames;
    for (const char* name : renumbering.listed)
        test::WriteFile(fileNames.emplace_back(dir / name), name);
    RenameOptions options;
    options.baseName = "x";
    options.startNumber = renumbering.start;
    outlets.Follow(fileNames);
    if (journaled)
        RunJournaledRenameJob(fileNames, options, outlets, journals.path());
    else
        RunRenameJob(fileNames, options, outlets);

    EXPECT_EQ(outlets.errors, std::vector<std::string>{});
    EXPECT_EQ(outlets.gaugePosition, static_cast<int>(fileNames.size()) - 1);
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < fileNames.size(); ++i) {
        expected.push_back(dir / renumbering.after[i]);
        EXPECT_EQ(test::ReadFile(expected.back()), renumbering.listed[i]);
    }
    EXPECT_EQ(fileNames, expected);
    std::vector<std::string> names = renumbering.after;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(test::ListDir(dir.path()), names);
    if (!journaled)
        return;
    test::RecordingUndoReport report;
    EXPECT_EQ(UndoLastRun(outlets.files, journals.path(), report).result, UndoResult::Finished);
    EXPECT_EQ(report.skipped, std::vector<std::string>{});
    for (const char* name : renumbering.listed)
        EXPECT_EQ(test::ReadFile(dir / name), name);
    EXPECT_EQ(test::ListDir(dir.path()).size(), fileNames.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, RenumberInPlace,
                         testing::Combine(testing::ValuesIn(kRenumberings), testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "Journaled" : "WithoutJournal");
                         });

TEST(RenumberInPlaceClash, AFileOutsideTheListStillStopsTheRunAndIsNotOverwritten) {
    test::TempDir dir;
    std::vector<std::string> fileNames = test::MakeFiles(dir.path(), {"x_1", "x_2", "x_3"});
    test::WriteFile(dir / "x_4", "someone else's");
    test::RecordingOutlets outlets;
    RenameOptions options;
    options.baseName = "x";
    options.startNumber = 2;
    outlets.Follow(fileNames);
    RunRenameJob(fileNames, options, outlets);

    EXPECT_EQ(outlets.errors, std::vector<std::string>{kRenameErrorText});
    EXPECT_EQ(test::ReadFile(dir / "x_4"), "someone else's");
    for (const char* name : {"x_1", "x_2", "x_3"})
        EXPECT_EQ(test::ReadFile(dir / name), name);
}

} // namespace
} // namespace tarvolin
