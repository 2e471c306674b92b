// A run killed while one of its moves holds a name with an empty file of its own, on the FUSE
// volumes whose rename cannot refuse to replace; then recovered either way. The file ends up
// under a proper name, and nothing of the program's is left beside it.
#include "FileOps.h"
#include "FuseFatVolume.h"
#include "NtfsVolume.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "StepHook.h"
#include "TempDir.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvolin {
namespace {

enum class Volume { Fusefat, ExfatFuse, Ntfs3g, LowNtfs3gIgnoreCase };

// A fresh volume of the kind, or why there is none.
class FreshVolume {
public:
    FreshVolume(Volume kind, const std::string& workDir) {
        if (kind == Volume::Fusefat || kind == Volume::ExfatFuse) {
            fat_ = std::make_unique<test::FuseFatVolume>(
                workDir, kind == Volume::Fusefat ? test::FuseFatServer::Fusefat
                                                 : test::FuseFatServer::ExfatFuse);
            why_ = fat_->mounted() ? "" : fat_->log();
            return;
        }
        why_ = test::WhyNtfsCannotBeMounted();
        if (why_.empty())
            ntfs_ = std::make_unique<test::NtfsVolume>(
                workDir, kind == Volume::Ntfs3g ? test::NtfsDriver::Ntfs3g
                                                : test::NtfsDriver::LowNtfs3gIgnoreCase);
    }
    const std::string& why() const { return why_; }
    std::string path() const { return fat_ ? fat_->path() : ntfs_->path(); }

private:
    std::unique_ptr<test::FuseFatVolume> fat_;
    std::unique_ptr<test::NtfsVolume> ntfs_;
    std::string why_;
};

struct LeftoverCase {
    const char* name;
    Volume volume;
    const char* oldName;
    bool caseOnly; // the extension is lowered; otherwise the name becomes "n.txt"
    int killAtReservation;
    bool undo;
    const char* expectedName; // where the file must end up
    int underTemporaryName;   // what the start-up box counts
};

void PrintTo(const LeftoverCase& c, std::ostream* out) {
    *out << c.name;
}

class OwnLeftovers : public ::testing::TestWithParam<LeftoverCase> {
protected:
    void SetUp() override {
        volume_ = std::make_unique<FreshVolume>(GetParam().volume, work_.path());
        if (!volume_->why().empty())
            GTEST_SKIP() << volume_->why();
    }

    std::string Folder() const { return volume_->path(); }

    RenameOptions Options() const {
        RenameOptions options;
        if (GetParam().caseOnly) {
            options.replaceExtension = true;
            options.extension = "jpg";
        } else {
            options.baseName = "n";
        }
        return options;
    }

    test::TempDir work_;
    test::TempDir state_;
    std::unique_ptr<FreshVolume> volume_;
    FileLayer files;
};

TEST_P(OwnLeftovers, LeavesTheFileUnderAProperNameAndNothingBeside) {
    const LeftoverCase& c = GetParam();
    const std::string oldPath = Folder() + "/" + c.oldName;
    test::WriteFile(oldPath, "content");
    const pid_t child = fork();
    if (child == 0) {
        std::vector<std::string> paths = {oldPath};
        test::RecordingOutlets outlets;
        outlets.files.ArmStepHook([&, reached = 0](Step step) mutable {
            if (step == Step::NameReserved && ++reached == c.killAtReservation)
                raise(SIGKILL);
        });
        ChangeJournaledSingleFile(paths, 0, Options(), outlets, state_.path());
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;

    const std::optional<UnfinishedRun> run = FindUnfinishedRun(files, state_.path());
    ASSERT_TRUE(run);
    EXPECT_EQ(run->underTemporaryName, c.underTemporaryName);
    if (c.undo) {
        struct : UndoReport {
            void FileRestored(const std::string&, const std::string&) override {}
            void FileSkipped(const std::string& path, const std::string& why) override {
                ADD_FAILURE() << path << ": " << why;
            }
        } report;
        EXPECT_EQ(UndoUnfinishedRun(files, state_.path(), *run, report).result,
                  UndoResult::Finished);
    } else {
        EXPECT_TRUE(KeepUnfinishedRun(files, state_.path(), *run));
    }
    EXPECT_EQ(test::ListDir(Folder()), std::vector<std::string>{c.expectedName});
    EXPECT_EQ(test::ReadFile(Folder() + "/" + c.expectedName), "content");
    EXPECT_FALSE(FindUnfinishedRun(files, state_.path()));
}

// A letter-case change reserves the temporary name first (1), then the new name (2), which
// on these volumes is the old name as well.
INSTANTIATE_TEST_SUITE_P(
    Kills, OwnLeftovers,
    ::testing::Values(
        LeftoverCase{"FatTemporaryUndo", Volume::Fusefat, "IMG.JPG", true, 1, true, "IMG.JPG", 0},
        LeftoverCase{"FatTemporaryKeep", Volume::Fusefat, "IMG.JPG", true, 1, false, "IMG.JPG", 0},
        LeftoverCase{"FatNewNameUndo", Volume::Fusefat, "IMG.JPG", true, 2, true, "IMG.JPG", 1},
        LeftoverCase{"FatNewNameKeep", Volume::Fusefat, "IMG.JPG", true, 2, false, "IMG.jpg", 1},
        LeftoverCase{"ExfatNewNameUndo", Volume::ExfatFuse, "IMG.JPG", true, 2, true, "IMG.JPG", 1},
        LeftoverCase{"ExfatNewNameKeep", Volume::ExfatFuse, "IMG.JPG", true, 2, false, "IMG.jpg",
                     1},
        LeftoverCase{"ExfatRenameUndo", Volume::ExfatFuse, "a.txt", false, 1, true, "a.txt", 0},
        LeftoverCase{"ExfatRenameKeep", Volume::ExfatFuse, "a.txt", false, 1, false, "a.txt", 0},
        // This driver lists every name in lower case.
        LeftoverCase{"LowNtfsNewNameUndo", Volume::LowNtfs3gIgnoreCase, "IMG.JPG", true, 2, true,
                     "img.jpg", 1},
        LeftoverCase{"LowNtfsNewNameKeep", Volume::LowNtfs3gIgnoreCase, "IMG.JPG", true, 2, false,
                     "img.jpg", 1},
        // Case-sensitive: the reservation of the new spelling is an entry of its own.
        LeftoverCase{"NtfsCaseUndo", Volume::Ntfs3g, "IMG.JPG", true, 1, true, "IMG.JPG", 0},
        LeftoverCase{"NtfsCaseKeep", Volume::Ntfs3g, "IMG.JPG", true, 1, false, "IMG.JPG", 0},
        LeftoverCase{"NtfsRenameUndo", Volume::Ntfs3g, "a.txt", false, 1, true, "a.txt", 0},
        LeftoverCase{"NtfsRenameKeep", Volume::Ntfs3g, "a.txt", false, 1, false, "a.txt", 0}),
    [](const ::testing::TestParamInfo<LeftoverCase>& info) { return info.param.name; });

// Another program creates the new name while the file is away under its temporary name: the
// file can go back under neither spelling. The run says where it is, and the next start asks.
TEST(LetterCaseChangeRace, TellsWhereTheFileIsAndLeavesTheRunToFinish) {
    test::TempDir work;
    test::TempDir state;
    FreshVolume volume(Volume::ExfatFuse, work.path());
    if (!volume.why().empty())
        GTEST_SKIP() << volume.why();
    const std::string oldPath = volume.path() + "/IMG.JPG";
    const std::string othersPath = volume.path() + "/IMG.jpg";
    test::WriteFile(oldPath, "content");
    std::vector<std::string> paths = {oldPath};
    test::RecordingOutlets outlets;
    outlets.files.ArmStepHook([&](Step step) {
        if (step == Step::MovedToCaseTemporary)
            close(open(othersPath.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644)); // not written yet
    });
    RenameOptions options;
    options.replaceExtension = true;
    options.extension = "jpg";
    outlets.Follow(paths);
    ChangeJournaledSingleFile(paths, 0, options, outlets, state.path());
    outlets.files.ArmStepHook({});

    const std::string parked = paths[0];
    EXPECT_EQ(parked.rfind(volume.path() + "/.IMG.jpg.Tarvolin-Case-", 0), 0u) << parked;
    EXPECT_EQ(test::ReadFile(parked), "content");
    ASSERT_FALSE(outlets.rows.empty());
    EXPECT_EQ(outlets.rows.back().second, parked);
    ASSERT_EQ(outlets.errors.size(), 1u);
    EXPECT_EQ(outlets.errors[0], "Rename Error!");
    EXPECT_NE(outlets.details[0].find(parked), std::string::npos) << outlets.details[0];
    const std::optional<UnfinishedRun> run = FindUnfinishedRun(outlets.files, state.path());
    ASSERT_TRUE(run);
    EXPECT_EQ(run->underTemporaryName, 1);
    EXPECT_TRUE(test::Exists(othersPath)) << "the other program's empty file stays";
}

// lowntfs-3g finds the file under either spelling; its count goes by what the folder lists.
TEST(UnfinishedRunCount, TakesALetterCaseChangeAsDoneOnlyWhenListedSo) {
    test::TempDir work;
    test::TempDir state;
    FreshVolume volume(Volume::LowNtfs3gIgnoreCase, work.path());
    if (!volume.why().empty())
        GTEST_SKIP() << volume.why();
    std::vector<std::string> paths = {volume.path() + "/a.txt"};
    test::WriteFile(paths[0], "content");
    const pid_t child = fork();
    if (child == 0) {
        struct : test::RecordingOutlets {
            void SetGaugeRange(int, int) override { raise(SIGKILL); }
        } outlets;
        RenameOptions options;
        options.replaceExtension = true;
        options.extension = "TXT";
        RunJournaledRenameJob(paths, options, outlets, state.path());
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    FileLayer files;
    const std::optional<UnfinishedRun> run = FindUnfinishedRun(files, state.path());
    ASSERT_TRUE(run);
    EXPECT_EQ(run->moved, 0);
}

} // namespace
} // namespace tarvolin
