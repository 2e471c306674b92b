#pragma once

// Undo of a journaled run: every file goes back to its old name, attributes and times,
// newest first, and a file that changed since is left alone and reported. Each function
// works through the caller's FileLayer, which the undo's journal listens to while it goes. The undo
// keeps a journal of its own, so that one cut short can be finished.

#include "FileOps.h"
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

inline constexpr const char* kRunBeingUndoneText = "This run is being undone by another window.";
inline constexpr const char* kRunGoingOnText =
    "The last run is still going on in another window; it can be undone once it has ended.";

// What Ctrl+Z would do next: finish an undo that was cut short, or undo the newest run that
// is not undone yet and changed something. Journals that another running copy of the program
// is writing are passed over.
struct PendingUndo {
    UndoResult result = UndoResult::NothingToUndo; // Finished: there is one to carry out
    std::string message;                           // Refused: why
    std::string path;                              // the journal of the run (or of the undo)
    JournalContents contents;
};
PendingUndo FindPendingUndo(FileLayer& files, const std::string& directory);
// The run in words, for a question: when it ended, how many files, which folder.
std::string DescribePendingUndo(const PendingUndo& pending);
// The undo works on `pending`'s changes where they are, so that a run of many files is not held
// twice: a caller that keeps its own moves it in.
UndoOutcome CarryOutUndo(FileLayer& files, const std::string& directory, PendingUndo pending,
                         UndoReport& report);

// The two above at once, for a caller that does not ask.
UndoOutcome UndoLastRun(FileLayer& files, const std::string& directory, UndoReport& report);

// True when the run reached no file it would change: every name it gave was the old one and
// it set no attribute or time, or it stopped before renaming its first file.
bool RunChangedNothing(FileLayer& files, const JournalContents& run);

// A run or an undo that did not end: the program or the machine stopped in the middle.
struct UnfinishedRun {
    std::string path;
    JournalContents contents;
    int moved = 0; // files under their new names (for an undo: back under their old ones)
    std::string inProgress;
    int underTemporaryName = 0;
};

std::optional<UnfinishedRun> FindUnfinishedRun(FileLayer& files, const std::string& directory);
// What the start-up box says about `run`, ending in the question it asks.
std::string DescribeUnfinishedRun(const UnfinishedRun& run);
// Undoes the run (or finishes the undo).
UndoOutcome UndoUnfinishedRun(FileLayer& files, const std::string& directory,
                              const UnfinishedRun& run, UndoReport& report);
// Leaves what was done as it is, taking every file off its temporary name, and closes the
// journal. False when a file could not be taken off its temporary name.
bool KeepUnfinishedRun(FileLayer& files, const std::string& directory, const UnfinishedRun& run);

} // namespace tarvolin
