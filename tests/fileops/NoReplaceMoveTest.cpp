// The fallback for volumes whose rename takes no flags is reached through RenameOnDisk on
// ntfs-3g (the volume contract suite); here it also runs directly on this machine's disk.
#include "Moves.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarvolin {
namespace {

using test::ListDir;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

struct Mover {
    const char* label;
    MoveOutcome (*move)(const std::string&, const std::string&, MoveWatch&);
};

// The rename by whole paths, as outside a run.
MoveOutcome MoveWithNothingHeld(const std::string& from, const std::string& to, MoveWatch& watch) {
    HeldFolders none;
    return MoveWithoutReplacing(from, to, watch, none);
}

struct Unwatched : MoveWatch {
    void ReservationStarting(const std::string&) override {}
    void ReservationDropped(const std::string&) override {}
    void Reached(Step) override {}
};

MoveOutcome Move(const Mover& mover, const std::string& from, const std::string& to) {
    Unwatched watch;
    return mover.move(from, to, watch);
}

class EveryMover : public ::testing::TestWithParam<Mover> {};

TEST_P(EveryMover, MovesAFile) {
    TempDir dir;
    WriteFile(dir / "from", "payload");
    EXPECT_EQ(Move(GetParam(), dir / "from", dir / "to"), MoveOutcome::Moved);
    EXPECT_EQ(ListDir(dir.path()), Names{"to"});
    EXPECT_EQ(ReadFile(dir / "to"), "payload");
}

TEST_P(EveryMover, MovesADirectory) {
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "from").c_str(), 0755), 0);
    WriteFile(dir / "from/inside", "payload");
    EXPECT_EQ(Move(GetParam(), dir / "from", dir / "to"), MoveOutcome::Moved);
    EXPECT_EQ(ListDir(dir.path()), Names{"to"});
    EXPECT_EQ(ReadFile(dir / "to/inside"), "payload");
}

TEST_P(EveryMover, ReportsAnExistingTargetAndChangesNothing) {
    TempDir dir;
    WriteFile(dir / "from", "source");
    WriteFile(dir / "to", "target");
    EXPECT_EQ(Move(GetParam(), dir / "from", dir / "to"), MoveOutcome::TargetExists);
    EXPECT_EQ(ReadFile(dir / "from"), "source");
    EXPECT_EQ(ReadFile(dir / "to"), "target");
}

TEST_P(EveryMover, RefusesAMissingSource) {
    TempDir dir;
    EXPECT_EQ(Move(GetParam(), dir / "from", dir / "to"), MoveOutcome::Refused);
    EXPECT_TRUE(ListDir(dir.path()).empty());
}

TEST_P(EveryMover, RefusesAMissingTargetDirectory) {
    TempDir dir;
    WriteFile(dir / "from", "source");
    EXPECT_EQ(Move(GetParam(), dir / "from", dir / "nowhere/to"), MoveOutcome::Refused);
    EXPECT_EQ(ListDir(dir.path()), Names{"from"});
}

INSTANTIATE_TEST_SUITE_P(Table, EveryMover,
                         ::testing::Values(Mover{"NoReplaceRename", MoveWithNothingHeld},
                                           Mover{"OntoReservation", MoveOntoReservation}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace tarvolin
