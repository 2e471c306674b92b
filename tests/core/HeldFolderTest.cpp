#include "HeldFolder.h"

#include "NumberedOptions.h"
#include "RecordingOutlets.h"
#include "RecordingUndoReport.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarvolin {
namespace {

using test::ListDir;
using test::MakeFiles;
using test::Numbered;
using test::RecordingOutlets;
using test::TempDir;
using Names = std::vector<std::string>;

// Moves the run's folder away as soon as the first file is done, as another program might.
class FolderMovingOutlets : public RecordingOutlets {
public:
    FolderMovingOutlets(std::string folder, std::string away)
        : folder_(std::move(folder)), away_(std::move(away)) {}
    void RowChanged(int position, const std::string& path) override {
        RecordingOutlets::RowChanged(position, path);
        if (position == 0 && errors.empty())
            std::filesystem::rename(folder_, away_);
    }

private:
    std::string folder_;
    std::string away_;
};

// On Linux the run reaches its files through their folder, held open; one moved away meanwhile
// is let go, so the next file is missed at its path and the run stops there, its journal
// naming only what it did where it did it: with the folder back, undo puts everything back.
TEST(HeldFolder, FolderMovedDuringTheRunStopsIt) {
    TempDir dir;
    TempDir state;
    std::filesystem::create_directory(dir / "sub");
    const Names fileNames = MakeFiles(dir / "sub", {"a.txt", "b.txt"});
    FolderMovingOutlets moving(dir / "sub", dir / "away");
    RunJournaledRenameJob(fileNames, Numbered("x", 1), moving, state.path());
    EXPECT_EQ(moving.errors, Names{kRenameErrorText});
    EXPECT_EQ(ListDir(dir / "away"), (Names{"b.txt", "x_1.txt"}));

    std::filesystem::rename(dir / "away", dir / "sub");
    test::RecordingUndoReport report;
    EXPECT_EQ(UndoLastRun(moving.files, state.path(), report).result, UndoResult::Finished);
    EXPECT_EQ(ListDir(dir / "sub"), (Names{"a.txt", "b.txt"}));
}

} // namespace
} // namespace tarvolin

namespace tarvolin {
namespace {

// A reader given a held folder keeps it while the renaming thread moves on to another folder:
// the one let go of is closed only once no reader is inside (its number is not reused for the
// next folder meanwhile), and when the run lets go of them all.
TEST(HeldFolder, FolderLetGoStaysOpenWhileAReaderUsesIt) {
    test::TempDir first, second;
    test::WriteFile(first / "read", "");
    test::WriteFile(first / "a", "");
    test::WriteFile(second / "b", "");
    HeldFolders held;
    held.Hold(true);
    FolderRelativeName from{};
    FolderRelativeName to{};
    held.RelativeToOneFolder(first / "a", first / "a2", from, to);
    int stillOpen = -1;
    {
        const HeldFolders::Reading reading(held);
        const std::string path = first / "read";
        const FolderRelativeName read = held.RelativeToFolder(path);
        ASSERT_NE(read.folder, AT_FDCWD);
        held.RelativeToOneFolder(second / "b", second / "b2", from, to);
        EXPECT_NE(from.folder, read.folder);
        struct stat st {};
        EXPECT_EQ(fstatat(read.folder, read.name, &st, 0), 0);
        stillOpen = read.folder;
    }
    held.Hold(false);
    EXPECT_EQ(fcntl(stillOpen, F_GETFD), -1);
}

// A change to a file in the held folder (the attributes and times a run sets) keeps the folder
// held; a change to the folder itself lets it go. Seen through a reader, which keeps the number
// of a folder let go of from being reused.
TEST(HeldFolder, LetGoOnlyForAChangeToTheFolderItself) {
    test::TempDir dir;
    test::WriteFile(dir / "a", "");
    HeldFolders held;
    held.Hold(true);
    FolderRelativeName from{};
    FolderRelativeName to{};
    held.RelativeToOneFolder(dir / "a", dir / "b", from, to);
    const int first = from.folder;
    const HeldFolders::Reading reading(held);
    for (const std::string& changed : {dir / "a", dir.path()}) {
        ASSERT_EQ(utimensat(AT_FDCWD, changed.c_str(), nullptr, 0), 0);
        ASSERT_EQ(chmod(changed.c_str(), 0755), 0);
        held.RelativeToOneFolder(dir / "a", dir / "b", from, to);
        EXPECT_EQ(from.folder != first, changed == dir.path()) << changed;
    }
}

} // namespace
} // namespace tarvolin
