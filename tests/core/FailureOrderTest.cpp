// Where a batch run stops when the volume refuses one step: over a file layer held in memory
// that refuses the nth call of one kind, so every failure comes exactly where asked, with no
// disk and no root.
#include "FakeBackend.h"
#include "NumberedOptions.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"

#include <gtest/gtest.h>

namespace tarvolin {
namespace {

using test::FakeBackend;
using Call = FakeBackend::Call;

class FakeDiskOutlets final : public test::RecordingOutlets {
public:
    explicit FakeDiskOutlets(FileLayer& layer) : layer_(layer) {}
    FileLayer& Files() override { return layer_; }

private:
    FileLayer& layer_;
};

// Each file gets a name, the attributes, then its creation and modification times: the second
// file's steps are the second move, the second attribute write, and time writes 3 and 4.
struct RefusalCase {
    const char* label;
    Call call;
    int occurrence;
    const char* box;
    bool secondRenamed;
};

class FailureOrder : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(FailureOrder, StopsAtTheRefusedFileWithItsBoxEarlierDoneLaterUntouched) {
    const RefusalCase& c = GetParam();
    FakeBackend backend;
    for (const char* path : {"/d/a", "/d/b", "/d/c"})
        backend.Add(path);
    backend.Refuse(c.call, c.occurrence);
    FileLayer files(backend);
    FakeDiskOutlets outlets(files);
    RenameOptions options = test::Numbered("n");
    options.setAttributes = options.setCreationTime = options.setModifyTime = true;
    options.attributes = kReadOnly | kArchive;
    options.creationDate = options.creationTime = options.modifyDate =
        options.modifyTime = {2020, 6, 1, 12};

    RunRenameJob({"/d/a", "/d/b", "/d/c"}, options, outlets);

    EXPECT_EQ(outlets.errors, std::vector<std::string>{c.box});
    const std::string second = c.secondRenamed ? "/d/n_1" : "/d/b";
    ASSERT_EQ(backend.files.size(), 3u);
    ASSERT_TRUE(backend.files.contains("/d/n_0") && backend.files.contains(second) &&
                backend.files.contains("/d/c"));
    EXPECT_EQ(backend.files["/d/n_0"].attributes, kReadOnly | kArchive);
    EXPECT_NE(backend.files["/d/n_0"].modify, FakeBackend::kMadeAt);
    const ExactMetadata& later = backend.files["/d/c"];
    EXPECT_EQ(later.attributes, 0);
    EXPECT_EQ(later.creation, FakeBackend::kMadeAt);
    EXPECT_EQ(later.modify, FakeBackend::kMadeAt);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailureOrder,
    ::testing::Values(
        RefusalCase{"Move", Call::Move, 2, "Rename Error!", false},
        RefusalCase{"Attributes", Call::WriteAttributes, 2, "Change file property Error!", true},
        RefusalCase{"CreationTime", Call::WriteTime, 3, "Set file Create Time Error!", true},
        RefusalCase{"ModifyTime", Call::WriteTime, 4, "Set file Modify Time Error!", true}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace tarvolin
