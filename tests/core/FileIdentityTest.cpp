// Undo knows its files on ext4 whether or not its inodes keep a birth time (256 and 128
// bytes): after the volume came back under another device number, and not when another file
// got the renamed file's inode number.
#include "Ext4LoopVolume.h"
#include "RecordingOutlets.h"
#include "RecordingUndoReport.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarvolin {
namespace {

using Report = test::RecordingUndoReport;

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class FileIdentityOnExt4 : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(volume.mounted()) << volume.log();
        paths = {volume / "a.txt", volume / "b.txt"};
        for (const std::string& path : paths)
            test::WriteFile(path, path);
        test::RecordingOutlets outlets;
        RenameOptions options;
        options.baseName = "n";
        outlets.Follow(paths);
        RunJournaledRenameJob(paths, options, outlets, state.path());
        ASSERT_TRUE(outlets.errors.empty()) << outlets.errors.front();
    }

    test::TempDir work, state;
    test::Ext4LoopVolume volume{work.path(), GetParam()};
    std::vector<std::string> paths;
    Report report;
    FileLayer files;
};

TEST_P(FileIdentityOnExt4, UndoesAfterTheVolumeCameBackOnAnotherDevice) {
    struct stat before {};
    ASSERT_EQ(stat(paths[0].c_str(), &before), 0);
    ASSERT_TRUE(volume.ComeBackOnAnotherDevice()) << volume.log();
    struct stat after {};
    ASSERT_EQ(stat(paths[0].c_str(), &after), 0);
    ASSERT_NE(before.st_dev, after.st_dev);
    ASSERT_EQ(UndoLastRun(files, state.path(), report).result, UndoResult::Finished);
    EXPECT_EQ(report.restored.size(), 2u);
    EXPECT_EQ(test::ListDir(volume.path()),
              (std::vector<std::string>{"a.txt", "b.txt", "lost+found"}));
}

TEST_P(FileIdentityOnExt4, LeavesAFileThatGotARenamedFilesNumber) {
    const ino_t renamed = InodeOf(volume / "n_0.txt");
    ASSERT_EQ(unlink((volume / "n_0.txt").c_str()), 0);
    std::string newcomer;
    for (int i = 0; i < 100 && newcomer.empty(); ++i) {
        const std::string candidate = volume / ("new" + std::to_string(i));
        test::WriteFile(candidate, "another file");
        if (InodeOf(candidate) == renamed)
            newcomer = candidate;
    }
    ASSERT_FALSE(newcomer.empty()) << "ext4 gave the number to no new file";
    ASSERT_EQ(rename(newcomer.c_str(), (volume / "n_0.txt").c_str()), 0);
    ASSERT_EQ(UndoLastRun(files, state.path(), report).result, UndoResult::Finished);
    EXPECT_EQ(report.skipped, std::vector<std::string>{volume / "n_0.txt"});
    EXPECT_EQ(test::ReadFile(volume / "n_0.txt"), "another file");
    EXPECT_FALSE(test::Exists(volume / "a.txt"));
    EXPECT_EQ(test::ReadFile(volume / "b.txt"), volume / "b.txt");
}

INSTANTIATE_TEST_SUITE_P(InodeSizes, FileIdentityOnExt4, ::testing::Values(256, 128),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Inodes" + std::to_string(info.param);
                         });

} // namespace
} // namespace tarvolin
