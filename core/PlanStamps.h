#pragma once

// Which file each change of a journaled run is, for its plan: taken from the caller where it
// read the file already (RenameOutlets::KnownStamp), so that a run over a listed batch costs
// no system call per file for it; the others read in one batch. A stamp the caller read may
// be older than the run (the file was replaced or changed since), so each such change is
// checked once its steps are done against what the caller then reads of the file, and the
// journal corrected at once where they differ.

#include "FileOps.h"
#include "RenameOptions.h"
#include "RenameOutlets.h"
#include "RunJournal.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvolin {

class PlanStamps {
public:
    // Step i of the run moves list position `positions[i]` from `oldPaths[i]`; a step marked
    // in `readAnyway` is read by the run whatever its caller knows (a file that waits under a
    // temporary name before its turn, which no check would reach in time).
    PlanStamps(RenameOutlets& outlets, std::span<const int> positions,
               const std::vector<bool>& readAnyway);
    // Whether the caller gave any: the journal may then need correcting (kJournalFormat).
    bool AnyKnown() const { return anyKnown_; }
    // Reads those the caller did not give, in one batch.
    void ReadMissing(std::span<const std::string> oldPaths);
    // Step `step`'s stamp, of the file at `oldPath`; the steps are asked in order, each once.
    std::optional<FileStamp> StampOf(std::size_t step, const std::string& oldPath);
    // What the check after the step compares (0: the run read the stamp itself, no check).
    std::uint64_t CheckOf(std::size_t step, const std::optional<FileStamp>& stamp,
                          const RenameOptions& options) const;

private:
    RenameOutlets& outlets_;
    FileLayer& files_;
    std::span<const int> positions_;
    std::vector<bool> known_;
    bool anyKnown_ = false;
    std::vector<std::optional<FileStamp>> read_;
    std::size_t nextRead_ = 0;
};

// After the steps of change `step`, whose file is now at `path`: where what the caller read of
// it once RowChanged told it (else what the disk shows) is not the file `planned`
// (PlanStamps::CheckOf) described, the journal learns which file the run took, or that there
// was none (then undo passes the change over, as one whose file was missing). A file keeps its
// identity and birth time through a rename, and its size and modification time unless the
// run set that time. Gives what was found.
std::optional<FileStamp> CheckAfterSteps(RunJournal& journal, RenameOutlets& outlets, int step,
                                         int position, const std::string& path,
                                         std::uint64_t planned, const RenameOptions& options);

} // namespace tarvolin
