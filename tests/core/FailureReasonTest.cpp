// A refused step's box names the file and gives the system's reason for a refusal the disk
// really made (a taken name, a read-only volume, an immutable file).

#include "NumberedOptions.h"
#include "Privileges.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "ScratchMount.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace tarvolin {
namespace {

enum class Refuser { NameTaken, ReadOnlyVolume, ImmutableFile };

struct ReasonCase {
    const char* label;
    Refuser refuser;
    bool RenameOptions::*step; // none: the rename to x_0; else the file keeps its name
    const char* text;
    const char* reason;
};

const ReasonCase kReasonCases[] = {
    {"NameTaken", Refuser::NameTaken, nullptr, kRenameErrorText, "File exists"},
    {"ReadOnlyVolume", Refuser::ReadOnlyVolume, nullptr, kRenameErrorText, "Read-only file system"},
    {"AttributesOnReadOnlyVolume", Refuser::ReadOnlyVolume, &RenameOptions::setAttributes,
     kAttributesErrorText, "Read-only file system"},
    {"ImmutableFile", Refuser::ImmutableFile, nullptr, kRenameErrorText, "Operation not permitted"},
    {"CreationTimeOfImmutableFile", Refuser::ImmutableFile, &RenameOptions::setCreationTime,
     kCreateTimeErrorText, "Operation not permitted"},
    {"ModifyTimeOfImmutableFile", Refuser::ImmutableFile, &RenameOptions::setModifyTime,
     kModifyTimeErrorText, "Operation not permitted"},
};

class FailureReason : public testing::TestWithParam<ReasonCase> {};

TEST_P(FailureReason, BoxNamesTheFileAndTheSystemsReason) {
    const ReasonCase& row = GetParam();
    if (row.refuser != Refuser::NameTaken && !test::RunningAsRoot())
        GTEST_SKIP() << "a read-only mount and chattr +i need root";
    test::TempDir dir;
    const bool onVolume = row.refuser == Refuser::ReadOnlyVolume;
    std::unique_ptr<test::ScratchVolume> volume;
    if (onVolume)
        volume = std::make_unique<test::ScratchVolume>("tmpfs", "size=1m");
    const std::string folder = onVolume ? volume->path() : dir.path();
    const std::string file = folder + "/a";
    test::WriteFile(file, "a");
    if (row.refuser == Refuser::NameTaken)
        test::WriteFile(folder + "/x_0", "taken");
    ASSERT_TRUE(onVolume ? volume->RemountReadOnly()
                         : row.refuser != Refuser::ImmutableFile || test::SetImmutable(file, true));
    RenameOptions options = row.step ? RenameOptions() : test::Numbered("x");
    if (row.step)
        options.*row.step = true;
    options.attributes = kHidden;
    options.creationDate = options.modifyDate = {2020, 1, 1};

    std::vector<std::string> fileNames{file};
    test::RecordingOutlets outlets;
    RunRenameJob(fileNames, options, outlets);
    test::SetImmutable(file, false);

    const std::string target = row.step ? "" : "\nto " + folder + "/x_0";
    EXPECT_EQ(outlets.errors, std::vector<std::string>{row.text});
    EXPECT_EQ(outlets.details, std::vector<std::string>{file + target + "\n" + row.reason});
}

INSTANTIATE_TEST_SUITE_P(Refusals, FailureReason, testing::ValuesIn(kReasonCases),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace tarvolin
