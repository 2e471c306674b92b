#pragma once

// Undo of a journaled run: every file goes back to its old name, attributes and times,
// newest first, and a file that changed since is left alone and reported. The undo keeps a
// journal of its own, so that one cut short can be finished.

#include "JournalRecords.h"

#include <optional>
#include <string>

namespace tarvolin {

class UndoReport {
public:
    virtual ~UndoReport() = default;
    virtual void FileRestored(const std::string& from, const std::string& to) = 0;
    virtual void FileSkipped(const std::string& path, const std::string& reason) = 0;
    // After FileRestored: a time someone changed after the run stays as they left it.
    virtual void PartLeftAlone(const std::string&, const std::string&) {}
};

enum class UndoResult {
    NothingToUndo,
    Finished, // every file either restored or reported as skipped
    Refused,  // nothing was touched; `message` says why
};

struct UndoOutcome {
    UndoResult result = UndoResult::NothingToUndo;
    std::string message;
    int restored = 0;
    int skipped = 0;
};

// Undoes the newest run that is not undone yet (finishing first an undo that was cut short).
// Journals that another running copy of the program is writing are left alone.
UndoOutcome UndoLastRun(const std::string& directory, UndoReport& report);

// A run or an undo that did not end: the program or the machine stopped in the middle.
struct UnfinishedRun {
    std::string path;
    JournalContents contents;
    int moved = 0; // files under their new names (for an undo: back under their old ones)
    std::string inProgress;
    int underTemporaryName = 0;
};

std::optional<UnfinishedRun> FindUnfinishedRun(const std::string& directory);
// What the start-up box says about `run`, ending in the question it asks.
std::string DescribeUnfinishedRun(const UnfinishedRun& run);
// Undoes the run (or finishes the undo).
UndoOutcome UndoUnfinishedRun(const std::string& directory, const UnfinishedRun& run,
                              UndoReport& report);
// Leaves what was done as it is, taking every file off its temporary name, and closes the
// journal. False when a file could not be taken off its temporary name.
bool KeepUnfinishedRun(const std::string& directory, const UnfinishedRun& run);

} // namespace tarvolin
