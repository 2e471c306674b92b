// A refused step's box names the file and gives the system's own reason, as the refusal
// really happened on the disk.

#include "FileOps.h"
#include "NumberedOptions.h"
#include "Privileges.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "ScratchMount.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <memory>

namespace tarvolin {
namespace {

enum class Refuser { None, NameTaken, ReadOnlyVolume, ImmutableFile, NoFile };

RenameOptions InPlace(bool attributes, bool creationTime, int modifyYear = 0) {
    RenameOptions options; // no base name: the file is renamed onto itself
    options.setAttributes = attributes;
    options.attributes = kHidden;
    options.setCreationTime = creationTime;
    options.creationDate = {2020, 1, 1};
    options.setModifyTime = modifyYear != 0;
    options.modifyDate = {modifyYear, 1, 1};
    return options;
}

struct ReasonCase {
    const char* label;
    Refuser refuser;
    RenameOptions options;
    const char* text;
    const char* reason;
};

const ReasonCase kReasonCases[] = {
    {"NameTaken", Refuser::NameTaken, test::Numbered("x"), kRenameErrorText, "File exists"},
    {"FileGone", Refuser::NoFile, test::Numbered("x"), kRenameErrorText,
     "No such file or directory"},
    {"ReadOnlyVolumeRename", Refuser::ReadOnlyVolume, test::Numbered("x"), kRenameErrorText,
     "Read-only file system"},
    {"ImmutableRename", Refuser::ImmutableFile, test::Numbered("x"), kRenameErrorText,
     "Operation not permitted"},
    {"ReadOnlyVolumeAttributes", Refuser::ReadOnlyVolume, InPlace(true, false),
     kAttributesErrorText, "Read-only file system"},
    {"ImmutableCreationTime", Refuser::ImmutableFile, InPlace(false, true), kCreateTimeErrorText,
     "Operation not permitted"},
    {"ModifyTimeBefore1980", Refuser::None, InPlace(false, false, 1975), kModifyTimeErrorText,
     "Numerical result out of range"},
};

class FailureReason : public testing::TestWithParam<ReasonCase> {};

TEST_P(FailureReason, BoxNamesTheFileAndTheSystemsReason) {
    const ReasonCase& row = GetParam();
    const bool needsRoot =
        row.refuser == Refuser::ReadOnlyVolume || row.refuser == Refuser::ImmutableFile;
    if (needsRoot && !test::RunningAsRoot())
        GTEST_SKIP() << "a read-only mount and chattr +i need root";
    test::TempDir dir;
    std::unique_ptr<test::ScratchVolume> volume;
    std::string folder = dir.path();
    if (row.refuser == Refuser::ReadOnlyVolume) {
        volume = std::make_unique<test::ScratchVolume>("tmpfs", "size=1m");
        ASSERT_TRUE(volume->mounted());
        folder = volume->path();
    }
    const std::string file = folder + "/" + (row.options.baseName.empty() ? "a" : "b");
    if (row.refuser != Refuser::NoFile)
        test::WriteFile(file, "b");
    if (row.refuser == Refuser::NameTaken)
        test::WriteFile(folder + "/x_0", "taken");
    const bool refusing = row.refuser == Refuser::ReadOnlyVolume  ? volume->RemountReadOnly()
                          : row.refuser == Refuser::ImmutableFile ? test::SetImmutable(file, true)
                                                                  : true;
    ASSERT_TRUE(refusing);

    std::vector<std::string> fileNames{file};
    test::RecordingOutlets outlets;
    RunRenameJob(fileNames, row.options, outlets);
    if (row.refuser == Refuser::ImmutableFile)
        test::SetImmutable(file, false);

    const std::string target = row.options.baseName.empty() ? "" : "\nto " + folder + "/x_0";
    EXPECT_EQ(outlets.errors, std::vector<std::string>{row.text});
    EXPECT_EQ(outlets.details, std::vector<std::string>{file + target + "\n" + row.reason});
}

INSTANTIATE_TEST_SUITE_P(Refusals, FailureReason, testing::ValuesIn(kReasonCases),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace tarvolin
