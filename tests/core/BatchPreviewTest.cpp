#include "BatchPreview.h"

#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace tarvolin::test {
namespace {

struct PreviewCase {
    const char* what;
    std::vector<std::string> onDisk;
    std::vector<std::string> listed;
    std::string baseName;
    int startNumber;
    std::string extension; // replaces the old one when not empty
    std::vector<std::string> verdicts;
};

RenameOptions OptionsOf(const PreviewCase& c) {
    RenameOptions options;
    options.baseName = c.baseName;
    options.startNumber = c.startNumber;
    options.replaceExtension = !c.extension.empty();
    options.extension = c.extension;
    return options;
}

std::vector<std::string> Listed(const TempDir& dir, const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(dir / name);
    return paths;
}

std::vector<std::string> VerdictTexts(const BatchPreview& preview) {
    std::vector<std::string> texts;
    for (const RowVerdict& row : preview.verdicts)
        texts.push_back(VerdictText(row, preview));
    return texts;
}

const PreviewCase kCases[] = {
    {"taken, same new name, listed twice, missing, unchanged",
     {"a.jpg", "a.png", "b.jpg", "b.txt", "c.txt", "d.jpg"},
     {"a.jpg", "a.png", "b.jpg", "c.txt", "d.jpg", "d.jpg", "e.jpg"},
     "",
     0,
     "txt",
     {"OK", "The same new name as row 1", "Name taken by a file not in the list", "Unchanged", "OK",
      "The same file as row 5", "File missing"}},
    {"renumbering in place frees each name before it is wanted",
     {"x_1", "x_2", "x_3"},
     {"x_1", "x_2", "x_3"},
     "x",
     2,
     "",
     {"OK", "OK", "OK"}},
    {"a name stays taken when the listed file holding it cannot move",
     {"x_1", "x_2", "x_3"},
     {"x_1", "x_2"},
     "x",
     2,
     "",
     {"Name kept by the file of row 2", "Name taken by a file not in the list"}},
};

TEST(BatchPreview, GivesEachRowTheVerdictTheRunMeets) {
    for (const PreviewCase& c : kCases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const std::string& name : c.onDisk)
            WriteFile(dir / name, name);
        const BatchPreview preview = PreviewBatch(ListOnDisk(Listed(dir, c.listed)), OptionsOf(c));
        EXPECT_EQ(VerdictTexts(preview), c.verdicts);
    }
}

TEST(BatchPreview, CountsTheFailuresByKind) {
    TempDir dir;
    const PreviewCase& c = kCases[0];
    for (const std::string& name : c.onDisk)
        WriteFile(dir / name, name);
    EXPECT_EQ(PreviewBatch(ListOnDisk(Listed(dir, c.listed)), OptionsOf(c)).summary,
              "4 of 7 will fail: 1 file missing, 1 listed twice, 1 new name given to an earlier "
              "row, 1 name taken on disk");
}

// A row the preview calls fine fails in the run only if something changed meanwhile: where
// every row is fine the run renames each file to the name the preview showed; where one is
// not, the run stops there and no earlier.
TEST(BatchPreview, TheRunMeetsWhatThePreviewFound) {
    for (const bool taken : {false, true}) {
        SCOPED_TRACE(taken ? "a name taken on disk" : "every row fine");
        TempDir dir;
        std::vector<std::string> files = MakeFiles(dir.path(), {"p.txt", "q.jpg", "r", "N_9.txt"});
        if (taken)
            WriteFile(dir / "n_2", "not listed");
        RenameOptions options;
        options.baseName = "n";
        options.setAttributes = options.setCreationTime = true;
        options.attributes = kHidden | kArchive;
        options.creationDate.year = 2001;
        const BatchPreview preview = PreviewBatch(ListOnDisk(files), options);
        RecordingOutlets outlets;
        outlets.Follow(files);
        RunRenameJob(files, options, outlets);
        if (!taken) {
            EXPECT_EQ(preview.failing, 0);
            EXPECT_TRUE(outlets.errors.empty());
            EXPECT_EQ(files, preview.newPaths);
            continue;
        }
        EXPECT_EQ(VerdictTexts(preview)[2], "Name taken by a file not in the list");
        EXPECT_EQ(outlets.errors, std::vector<std::string>{kRenameErrorText});
        EXPECT_EQ(std::vector(files.begin(), files.begin() + 2),
                  std::vector(preview.newPaths.begin(), preview.newPaths.begin() + 2));
        EXPECT_EQ(ReadFile(dir / "n_2"), "not listed");
    }
}

} // namespace
} // namespace tarvolin::test
