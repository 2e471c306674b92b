// The front's rules in the order it applies them, over a backend held in memory that refuses
// one chosen call: no disk and no root needed, and every failure comes exactly where asked.
#include "FakeBackend.h"
#include "FileFront.h"

#include <gtest/gtest.h>

namespace tarvolin {
namespace {

using test::FakeBackend;
using Call = FakeBackend::Call;

struct HeardCaseChanges final : CaseChangeListener {
    void CaseChangeStarting(const std::string&, const std::string& temporary,
                            const std::string&) override {
        temporaries.push_back(temporary);
    }
    void CaseChangeFinished(const std::string& newPath) override { finished.push_back(newPath); }
    std::vector<std::string> temporaries;
    std::vector<std::string> finished;
};

// A letter-case change makes four moves at most: onto the new name (taken by the file
// itself), to the temporary name, to the new name, and back to the old one.
struct CaseChangeCase {
    const char* label;
    std::vector<int> refusedMoves;
    bool renamed;
    const char* fileAt; // "temporary" for the name announced
    bool finishHeard;
};

class LetterCaseFailure : public ::testing::TestWithParam<CaseChangeCase> {};

TEST_P(LetterCaseFailure, LeavesTheFileWhereItSaysAndAnnouncesOnlyWhatHappened) {
    const CaseChangeCase& c = GetParam();
    FakeBackend backend;
    backend.foldsCase = true;
    backend.Add("/d/abc");
    for (const int move : c.refusedMoves)
        backend.Refuse(Call::Move, move);
    FileFront front(backend);
    HeardCaseChanges heard;
    front.SetCaseChangeListener(&heard);

    std::string fileNowAt;
    EXPECT_EQ(front.RenameOnDisk("/d/abc", "/d/ABC", fileNowAt), c.renamed);

    const std::string expected = c.fileAt == std::string("temporary") && !heard.temporaries.empty()
                                     ? heard.temporaries.back()
                                     : c.fileAt;
    EXPECT_EQ(fileNowAt, expected);
    EXPECT_TRUE(backend.files.contains(expected));
    EXPECT_EQ(backend.files.size(), 1u);
    EXPECT_EQ(heard.finished.size(), c.finishHeard ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LetterCaseFailure,
    ::testing::Values(CaseChangeCase{"NoneRefused", {}, true, "/d/ABC", true},
                      CaseChangeCase{"FirstMove", {1}, false, "/d/abc", false},
                      CaseChangeCase{"ToTheTemporaryName", {2}, false, "/d/abc", false},
                      CaseChangeCase{"ToTheNewName", {3}, false, "/d/abc", false},
                      CaseChangeCase{"ToTheNewNameAndBack", {3, 4}, false, "temporary", false}),
    [](const auto& info) { return std::string(info.param.label); });

// What each writer reports when the volume takes less than it was given, or nothing.
struct WriteCase {
    const char* label;
    void (*prepare)(FakeBackend&);
    bool (*write)(FileFront&);
    int timeWrites; // reached the backend
};

class WriteFailure : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteFailure, IsReportedAsARefusal) {
    FakeBackend backend;
    backend.Add("/d/f");
    GetParam().prepare(backend);
    FileFront front(backend);
    EXPECT_FALSE(GetParam().write(front));
    EXPECT_EQ(backend.Calls(Call::WriteTime), GetParam().timeWrites);
}

constexpr LocalDateTime kIn2020{2020, 6, 1, 12, 0, 0, 0};
constexpr LocalDateTime kIn2108{2108, 1, 1, 0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Table, WriteFailure,
    ::testing::Values(
        WriteCase{"AttributeNotKept", [](FakeBackend& b) { b.keptBits = kReadOnly; },
                  [](FileFront& f) { return f.ApplyAttributes("/d/f", kReadOnly | kArchive); }, 0},
        WriteCase{"AttributeRefused", [](FakeBackend& b) { b.Refuse(Call::WriteAttributes, 1); },
                  [](FileFront& f) { return f.ApplyAttributes("/d/f", kHidden); }, 0},
        WriteCase{"BitBeyondTheFour", [](FakeBackend&) {},
                  [](FileFront& f) { return f.ApplyAttributes("/d/f", 0x100); }, 0},
        WriteCase{
            "TimeBeyondDosRange", [](FakeBackend&) {},
            [](FileFront& f) { return f.SetTime("/d/f", TimeSlot::Creation, kIn2108, kIn2108); },
            0},
        WriteCase{"TimeRefused", [](FakeBackend& b) { b.Refuse(Call::WriteTime, 1); },
                  [](FileFront& f) {
                      return f.SetTime("/d/f", TimeSlot::AccessAndModify, kIn2020, kIn2020);
                  },
                  1},
        WriteCase{"BackendThrows", [](FakeBackend& b) { b.throws = true; },
                  [](FileFront& f) {
                      return f.SetTime("/d/f", TimeSlot::AccessAndModify, kIn2020, kIn2020);
                  },
                  0}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WriteFailure, RenameAfterAThrowReportsTheFileAtItsOldName) {
    FakeBackend backend;
    backend.Add("/d/a");
    backend.throws = true;
    FileFront front(backend);
    std::string fileNowAt;
    EXPECT_FALSE(front.RenameOnDisk("/d/a", "/d/b", fileNowAt));
    EXPECT_EQ(fileNowAt, "/d/a");
}

TEST(RestoreFailure, AWriteRefusedHalfwayIsNotReportedAsRestored) {
    FakeBackend backend;
    backend.Add("/d/f");
    backend.Refuse(Call::PutBack, 1);
    ExactMetadata before = *backend.ReadMetadata("/d/f");
    before.attributes = kHidden;
    const MetadataRestore result = FileFront(backend).RestoreExactMetadata("/d/f", before, {});
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.changed);
}

} // namespace
} // namespace tarvolin
