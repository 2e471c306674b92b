// The batch run on disks that refuse or change under it: each refusal gives the error box
// of its step, no file is lost or damaged, and the list says where every file is.

#include "FileOps.h"
#include "NumberedOptions.h"
#include "Privileges.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "ScratchMount.h"
#include "TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {
namespace {

using test::Exists;
using test::ListDir;
using test::MakeFiles;
using test::Numbered;
using test::ReadFile;
using test::RecordingOutlets;
using test::TempDir;
using test::WriteFile;

void ExpectUntouched(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        EXPECT_EQ(ReadFile(path), path.substr(path.rfind('/') + 1)) << path;
}

// Outlets that do something to the disk as soon as the first file is done, so that the
// rest of the run meets a disk that changed under it.
class DiskChangingOutlets : public RecordingOutlets {
public:
    explicit DiskChangingOutlets(std::function<void()> change) : change_(std::move(change)) {}
    void RowChanged(int position, const std::string& path) override {
        RecordingOutlets::RowChanged(position, path);
        if (change_) {
            change_();
            change_ = nullptr;
        }
    }

private:
    std::function<void()> change_;
};

// A scratch file system of the test's own, mounted over its temporary directory. Only root
// may mount one: elsewhere the test is skipped.
// chattr +i needs CAP_LINUX_IMMUTABLE, which an ordinary user lacks.
constexpr const char* kImmutableNeedsRoot = "making a file immutable needs root";

class FailingVolume : public testing::Test {
protected:
    void SetUp() override {
        if (!test::RunningAsRoot())
            GTEST_SKIP() << "mounting a scratch file system needs root";
    }
    test::ScratchMount& Mount(const std::string& type, const std::string& options = "") {
        volume_ = std::make_unique<test::ScratchVolume>(type, options);
        return *volume_;
    }

private:
    std::unique_ptr<test::ScratchVolume> volume_;
};

TEST(FailingDisk, DirectoryMadeImmutableMidRunStopsAtTheNextFile) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << kImmutableNeedsRoot;
    TempDir dir;
    const std::vector<std::string> listed = MakeFiles(dir.path(), {"a.txt", "b.txt", "c.txt"});
    std::vector<std::string> fileNames = listed;
    bool frozen = false;
    DiskChangingOutlets outlets([&] { frozen = test::SetImmutable(dir.path(), true); });

    outlets.Follow(fileNames);
    RunRenameJob(fileNames, Numbered("x"), outlets);
    test::SetImmutable(dir.path(), false);

    ASSERT_TRUE(frozen) << "chattr +i is needed for this test";
    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(fileNames, (std::vector<std::string>{dir / "x_0.txt", listed[1], listed[2]}));
    EXPECT_EQ(outlets.rows.back(), std::make_pair(1, listed[1]));
    EXPECT_EQ(ReadFile(dir / "x_0.txt"), "a.txt");
    ExpectUntouched({listed[1], listed[2]});
}

TEST_F(FailingVolume, RemountedReadOnlyMidRunStopsAtTheNextFile) {
    test::ScratchMount& volume = Mount("tmpfs", "size=1m");
    ASSERT_TRUE(volume.mounted());
    const std::vector<std::string> listed = MakeFiles(volume.path(), {"a.txt", "b.txt"});
    std::vector<std::string> fileNames = listed;
    DiskChangingOutlets outlets([&] { volume.RemountReadOnly(); });

    outlets.Follow(fileNames);
    RunRenameJob(fileNames, Numbered("x"), outlets);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(fileNames, (std::vector<std::string>{volume / "x_0.txt", listed[1]}));
    EXPECT_EQ(ListDir(volume.path()), (std::vector<std::string>{"b.txt", "x_0.txt"}));
}

// Appends `bytes` to `path` whole; false when the disk took less.
bool AppendWhole(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0600);
    const bool whole = write(fd, bytes.data(), bytes.size()) == std::ssize(bytes);
    close(fd);
    return whole;
}

// Fills the journal's volume once the plan is on it: the journal's last page with a record
// that changes nothing ("planned 000514"), then every page left.
class VolumeFillingOutlets : public RecordingOutlets {
public:
    explicit VolumeFillingOutlets(std::string folder) : folder_(std::move(folder)) {}
    void SetGaugeRange(int minimum, int maximum) override {
        RecordingOutlets::SetGaugeRange(minimum, maximum);
        const std::string journal = folder_ + "/" + ListDir(folder_).at(0);
        const std::size_t used = std::filesystem::file_size(journal) % 4096;
        const std::size_t pad = used == 0 ? 0 : 4096 - used + (4096 - used < 13 ? 4096 : 0);
        if (pad != 0)
            AppendWhole(journal, "planned " + std::string(pad - 13, '0') + "0514\n");
        while (AppendWhole(folder_ + "/filler", std::string(4096, 'f')))
            ;
    }

private:
    std::string folder_;
};

// The done marks that follow file 511 find the disk full: the run stops before file 512, and
// the journal still tells a later start what was done.
TEST_F(FailingVolume, JournalVolumeFullAfterThePlanStopsTheRunBeforeTheNextFile) {
    test::ScratchMount& state = Mount("tmpfs", "size=1m");
    ASSERT_TRUE(state.mounted());
    TempDir dir;
    std::vector<std::string> listed;
    for (int i = 0; i < 514; ++i) {
        listed.push_back(dir / ("f" + std::to_string(i)));
        WriteFile(listed.back(), "");
    }
    std::vector<std::string> fileNames = listed;
    VolumeFillingOutlets outlets(state.path());

    const JournaledRunResult result =
        RunJournaledRenameJob(fileNames, Numbered("x"), outlets, state.path());

    EXPECT_EQ(result.journal, RunJournalState::Failed);
    EXPECT_EQ(outlets.errors, (std::vector<std::string>{"The run journal could not be written "
                                                        "(No space left on device); the run "
                                                        "stopped before " +
                                                        listed[512] + "."}));
    EXPECT_TRUE(Exists(dir / "x_511") && Exists(listed[512]) && Exists(listed[513]));
    const std::optional<UnfinishedRun> run = FindUnfinishedRun(outlets.files, state.path());
    ASSERT_TRUE(run);
    EXPECT_EQ(run->moved, 512);
}

// A tmpfs with no inode space left: every inode it allows is taken, so not even an
// extended attribute fits any more.
struct FullVolumeCase {
    const char* label;
    RenameOptions options;
    const char* error;
};

class FullVolume : public FailingVolume, public testing::WithParamInterface<FullVolumeCase> {};

TEST_P(FullVolume, RefusesTheWriteAndKeepsTheFile) {
    test::ScratchMount& volume = Mount("tmpfs", "size=64k,nr_inodes=3");
    ASSERT_TRUE(volume.mounted());
    const std::vector<std::string> listed = MakeFiles(volume.path(), {"a.txt", "b.txt"});
    ASSERT_FALSE(test::Exists(volume / "c")) << "the volume should be full";
    std::vector<std::string> fileNames = listed;
    const std::optional<LocalDateTime> creationBefore = GetCreationTime(listed[0]);

    RecordingOutlets outlets;
    RunRenameJob(fileNames, GetParam().options, outlets);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{GetParam().error}));
    EXPECT_EQ(fileNames, listed);
    EXPECT_EQ(ReadAttributes(listed[0]), 0);
    ASSERT_TRUE(creationBefore.has_value());
    EXPECT_EQ(GetCreationTime(listed[0]), creationBefore);
    ExpectUntouched(listed);
}

RenameOptions HiddenInPlace() {
    RenameOptions options;
    options.setAttributes = true;
    options.attributes = kHidden;
    return options;
}

RenameOptions CreationTimeInPlace() {
    RenameOptions options;
    options.setCreationTime = true;
    options.creationDate = {2001, 2, 3};
    return options;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FullVolume,
    testing::Values(FullVolumeCase{"Attributes", HiddenInPlace(), kAttributesErrorText},
                    FullVolumeCase{"CreationTime", CreationTimeInPlace(), kCreateTimeErrorText}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FailingDisk, ImmutableDirectoryRefusesTheFirstRename) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << kImmutableNeedsRoot;
    TempDir dir;
    const std::vector<std::string> listed = MakeFiles(dir.path(), {"a.txt", "b.txt"});
    std::vector<std::string> fileNames = listed;
    ASSERT_TRUE(test::SetImmutable(dir.path(), true)) << "chattr +i is needed for this test";

    RecordingOutlets outlets;
    RunRenameJob(fileNames, Numbered("x"), outlets);
    test::SetImmutable(dir.path(), false);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(outlets.rows, (std::vector<std::pair<int, std::string>>{{0, listed[0]}}));
    EXPECT_EQ(fileNames, listed);
    ExpectUntouched(listed);
}

TEST(FailingDisk, ImmutableFileInTheMiddleStopsTheRunThere) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << kImmutableNeedsRoot;
    TempDir dir;
    const std::vector<std::string> listed = MakeFiles(dir.path(), {"a.txt", "b.txt", "c.txt"});
    std::vector<std::string> fileNames = listed;
    ASSERT_TRUE(test::SetImmutable(listed[1], true));

    RecordingOutlets outlets;
    outlets.Follow(fileNames);
    RunRenameJob(fileNames, Numbered("x"), outlets);
    test::SetImmutable(listed[1], false);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(fileNames, (std::vector<std::string>{dir / "x_0.txt", listed[1], listed[2]}));
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"b.txt", "c.txt", "x_0.txt"}));
    EXPECT_EQ(ReadFile(dir / "x_0.txt"), "a.txt");
}

// A swap whose second file refuses to move stops there; the first, waiting under its
// temporary name, goes back under its old name, and the run has nothing left to undo.
TEST(FailingDisk, ARefusalInsideASwapPutsTheWaitingFileBack) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << kImmutableNeedsRoot;
    TempDir dir, journals;
    const std::vector<std::string> listed = MakeFiles(dir.path(), {"x_1", "x_0"});
    std::vector<std::string> fileNames = listed;
    ASSERT_TRUE(test::SetImmutable(listed[1], true));

    RecordingOutlets outlets;
    outlets.Follow(fileNames);
    RunJournaledRenameJob(fileNames, Numbered("x"), outlets, journals.path());
    test::SetImmutable(listed[1], false);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(fileNames, listed);
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"x_0", "x_1"}));
    EXPECT_EQ(ReadFile(dir / "x_1"), "x_1");
    EXPECT_FALSE(FindUnfinishedRun(outlets.files, journals.path()));
    EXPECT_EQ(FindPendingUndo(outlets.files, journals.path()).result, UndoResult::NothingToUndo);
}

TEST_F(FailingVolume, ReadOnlyRemountRefusesRenamesAndKeepsEveryFile) {
    test::ScratchMount& volume = Mount("tmpfs", "size=1m");
    ASSERT_TRUE(volume.mounted());
    const std::vector<std::string> listed = MakeFiles(volume.path(), {"a.txt", "b.txt"});
    std::vector<std::string> fileNames = listed;
    ASSERT_TRUE(volume.RemountReadOnly());

    RecordingOutlets outlets;
    RunRenameJob(fileNames, Numbered("x"), outlets);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(fileNames, listed);
    ExpectUntouched(listed);
}

TEST_F(FailingVolume, ReadOnlyRefusesAttributesAfterAnInPlaceRename) {
    test::ScratchMount& volume = Mount("tmpfs", "size=1m");
    ASSERT_TRUE(volume.mounted());
    std::vector<std::string> fileNames = MakeFiles(volume.path(), {"a.txt"});
    ASSERT_TRUE(volume.RemountReadOnly());
    RenameOptions options; // no base name: each file is renamed onto itself
    options.setAttributes = true;
    options.attributes = kHidden;

    RecordingOutlets outlets;
    RunRenameJob(fileNames, options, outlets);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kAttributesErrorText}));
    EXPECT_EQ(outlets.rows.back(), std::make_pair(0, volume / "a.txt"));
}

TEST_F(FailingVolume, WithoutUserXattrsRefusesHiddenButRenames) {
    test::ScratchMount& volume = Mount("ramfs");
    ASSERT_TRUE(volume.mounted());
    std::vector<std::string> fileNames = MakeFiles(volume.path(), {"a.txt", "b.txt"});
    RenameOptions options = Numbered("x");
    options.setAttributes = true;
    options.attributes = kHidden;

    RecordingOutlets outlets;
    outlets.Follow(fileNames);
    RunRenameJob(fileNames, options, outlets);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kAttributesErrorText}));
    EXPECT_EQ(fileNames[0], volume / "x_0.txt");
    EXPECT_EQ(ListDir(volume.path()), (std::vector<std::string>{"b.txt", "x_0.txt"}));
}

TEST(FailingDisk, FileReplacedAfterListingIsRenamedAsItNowIs) {
    TempDir dir;
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt"});
    WriteFile(dir / "a.txt", "written by another program");

    RecordingOutlets outlets;
    RunRenameJob(fileNames, Numbered("x"), outlets);

    EXPECT_TRUE(outlets.errors.empty());
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"x_0.txt"}));
    EXPECT_EQ(ReadFile(dir / "x_0.txt"), "written by another program");
}

TEST(FailingDisk, FileReplacedByADirectoryMovesTheDirectoryWithItsContent) {
    TempDir dir;
    std::vector<std::string> fileNames = MakeFiles(dir.path(), {"a.txt"});
    ASSERT_EQ(unlink(fileNames[0].c_str()), 0);
    ASSERT_EQ(mkdir(fileNames[0].c_str(), 0755), 0);
    WriteFile(dir / "a.txt/inside", "inside");

    RecordingOutlets outlets;
    RunRenameJob(fileNames, Numbered("x"), outlets);

    EXPECT_TRUE(outlets.errors.empty());
    EXPECT_EQ(ReadFile(dir / "x_0.txt/inside"), "inside");
}

TEST(FailingDisk, NameLongerThanTheFileSystemAllowsIsARenameError) {
    TempDir dir;
    const std::vector<std::string> listed = MakeFiles(dir.path(), {"a.txt"});
    std::vector<std::string> fileNames = listed;
    const std::string base(252, 'n'); // + "_0" + ".txt" = 258 bytes

    RecordingOutlets outlets;
    RunRenameJob(fileNames, Numbered(base), outlets);

    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    ExpectUntouched(listed);

    const std::string fits(249, 'n'); // exactly 255 bytes
    RunRenameJob(fileNames, Numbered(fits), outlets);
    EXPECT_EQ(outlets.errors.size(), 1u);
    EXPECT_EQ(ReadFile(dir / (fits + "_0.txt")), "a.txt");
}

TEST(FailingDisk, PathLongerThanTheSystemAllowsIsARenameError) {
    TempDir dir;
    // Directories deep enough that the file's own path still fits in PATH_MAX (4096 bytes
    // with its NUL) while a slightly longer new name does not.
    std::string deep = dir.path();
    while (deep.size() < 4096 - 300)
        deep += "/" + std::string(200, 'd');
    deep += "/" + std::string(4096 - 40 - deep.size(), 'e');
    ASSERT_TRUE(std::filesystem::create_directories(deep));
    const std::vector<std::string> listed = MakeFiles(deep, {"a.txt"});
    std::vector<std::string> fileNames = listed;

    RecordingOutlets outlets;
    RunRenameJob(fileNames, Numbered(std::string(40, 'n')), outlets);
    EXPECT_EQ(outlets.errors, (std::vector<std::string>{kRenameErrorText}));
    EXPECT_EQ(fileNames, listed);
    ExpectUntouched(listed);

    RunRenameJob(fileNames, Numbered("n"), outlets);
    EXPECT_EQ(outlets.errors.size(), 1u);
    EXPECT_EQ(ReadFile(deep + "/n_0.txt"), "a.txt");
}

TEST(FailingDisk, HostileNamesRenameAndKeepTheirBytes) {
    TempDir dir;
    std::vector<std::string> fileNames =
        MakeFiles(dir.path(), {"new\nline.txt", "st*r?.txt", ".dot", "bad\xff\xfe.txt", " lead"});

    RecordingOutlets outlets;
    outlets.Follow(fileNames);
    RunRenameJob(fileNames, Numbered("\xe9t\xe9\n*"), outlets);

    ASSERT_TRUE(outlets.errors.empty());
    EXPECT_EQ(ReadFile(dir / "\xe9t\xe9\n*_0.txt"), "new\nline.txt");
    EXPECT_EQ(ReadFile(dir / "\xe9t\xe9\n*_1.txt"), "st*r?.txt");
    EXPECT_EQ(ReadFile(dir / "\xe9t\xe9\n*_2.dot"), ".dot");
    EXPECT_EQ(ReadFile(dir / "\xe9t\xe9\n*_3.txt"), "bad\xff\xfe.txt");
    EXPECT_EQ(ReadFile(dir / "\xe9t\xe9\n*_4"), " lead");
    EXPECT_EQ(fileNames[3], dir / "\xe9t\xe9\n*_3.txt");
}

} // namespace
} // namespace tarvolin
