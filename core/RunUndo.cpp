#include "RunUndo.h"

#include "ChangeRestore.h"
#include "FileOps.h"
#include "JournalShelf.h"
#include "LetterCase.h"
#include "OwnLeftovers.h"
#include "RunJournal.h"

namespace tarvolin {

namespace {

const std::string* TemporaryPathOf(const JournalContents& contents, int index) {
    const auto found = contents.temporaryPaths.find(index);
    return found == contents.temporaryPaths.end() ? nullptr : &found->second;
}

std::string SiblingPath(const std::string& journalPath, const std::string& name) {
    const std::size_t cut = journalPath.size() - JournalName(journalPath).size();
    return journalPath.substr(0, cut) + name;
}

void AppendRecord(const std::string& journalPath, const std::string& record) {
    if (const std::unique_ptr<JournalFile> file = JournalFile::OpenToAppend(journalPath)) {
        file->Append(record);
        file->MakeDurable();
    }
}

// Works through the undo journal from the first change not done.
UndoOutcome ContinueUndo(const std::string& directory, const std::string& undoPath,
                         RunJournal& journal, const JournalContents& undo, UndoReport& report) {
    UndoOutcome outcome{UndoResult::Finished, {}, 0, 0};
    const int count = static_cast<int>(undo.changes.size());
    for (int index = undo.doneThrough + 1; index < count; ++index) {
        const JournalChange& change = undo.changes[static_cast<std::size_t>(index)];
        const std::string* temporaryPath = TemporaryPathOf(undo, index);
        const RestoreResult result = RestoreChange(change, temporaryPath);
        if (!result.failure.empty()) {
            ++outcome.skipped;
            report.FileSkipped(temporaryPath != nullptr && HoldsFileOf(*temporaryPath, change)
                                   ? *temporaryPath
                                   : change.newPath,
                               result.failure);
        } else if (result.touched) {
            ++outcome.restored;
            report.FileRestored(change.newPath, change.oldPath);
        }
        journal.ChangeDone(index);
    }
    journal.Finish("finished");
    AppendRecord(SiblingPath(undoPath, undo.undoes), UndoneRecord());
    PruneJournals(directory);
    return outcome;
}

UndoOutcome Refusal(std::string message) {
    return {UndoResult::Refused, std::move(message), 0, 0};
}

// The run's changes newest first, with the temporary names its files may be under.
JournalContents UndoPlan(const std::string& runPath, const JournalContents& run) {
    JournalContents undo;
    undo.kind = JournalKind::Undo;
    undo.undoes = JournalName(runPath);
    undo.changes.assign(run.changes.rbegin(), run.changes.rend());
    const int last = static_cast<int>(run.changes.size()) - 1;
    for (const auto& [index, path] : run.temporaryPaths)
        undo.temporaryPaths[last - index] = path;
    return undo;
}

UndoOutcome UndoRun(const std::string& directory, const std::string& runPath,
                    const JournalContents& run, UndoReport& report) {
    if (run.end.empty())
        RemoveOwnLeftovers(run);
    const JournalContents undo = UndoPlan(runPath, run);
    const std::unique_ptr<RunJournal> journal =
        RunJournal::Create(directory, JournalKind::Undo, undo.undoes);
    if (!journal)
        return Refusal("The undo cannot be written to its journal in " + directory + ".");
    for (const JournalChange& change : undo.changes)
        journal->AddChange(change);
    if (!journal->StartChanges())
        return Refusal("The undo's journal cannot be made durable in " + directory + ".");
    for (const auto& [index, path] : undo.temporaryPaths)
        journal->AddTemporaryPath(index, path);
    return ContinueUndo(directory, journal->path(), *journal, undo, report);
}

UndoOutcome FinishUndo(const std::string& directory, const std::string& undoPath,
                       const JournalContents& undo, UndoReport& report) {
    RemoveOwnLeftovers(undo);
    const std::unique_ptr<RunJournal> journal = RunJournal::Continue(undoPath, undo);
    if (!journal)
        return Refusal("The journal " + undoPath + " cannot be written.");
    return ContinueUndo(directory, undoPath, *journal, undo, report);
}

// On a case-insensitive volume a new name that differs from the old one in letter case alone
// finds the file under either: only the folder's listing tells which spelling it has. Where
// it lists neither (lowntfs-3g lists every name in lower case), the journal's done marks do.
void ReadSpellingsOfCaseChanges(const JournalContents& contents,
                                const std::vector<std::size_t>& caseChanges,
                                std::vector<bool>& moved) {
    const bool undo = contents.kind == JournalKind::Undo;
    std::vector<std::string> spellings; // each change's target, then its origin
    for (const std::size_t index : caseChanges) {
        const JournalChange& change = contents.changes[index];
        spellings.push_back(undo ? change.oldPath : change.newPath);
        spellings.push_back(undo ? change.newPath : change.oldPath);
    }
    const std::vector<bool> listed = ListedAsSpelled(spellings);
    for (std::size_t i = 0; i < caseChanges.size(); ++i) {
        const bool asTarget = listed[2 * i];
        const bool asOrigin = listed[2 * i + 1];
        moved[caseChanges[i]] = asTarget || asOrigin
                                    ? asTarget && !asOrigin
                                    : static_cast<int>(caseChanges[i]) <= contents.doneThrough;
    }
}

void CountWhereFilesAre(UnfinishedRun& run) {
    const JournalContents& contents = run.contents;
    const bool undo = contents.kind == JournalKind::Undo;
    const std::size_t count = contents.changes.size();
    std::vector<bool> moved(count, false);
    std::vector<std::size_t> caseChanges;
    for (std::size_t index = 0; index < count; ++index) {
        const JournalChange& change = contents.changes[index];
        const std::string* temporaryPath = TemporaryPathOf(contents, static_cast<int>(index));
        const bool parked = temporaryPath != nullptr && HoldsFileOf(*temporaryPath, change);
        const std::string& target = undo ? change.oldPath : change.newPath;
        moved[index] = !parked && change.oldPath != change.newPath && HoldsFileOf(target, change);
        if (moved[index] && DiffersInLetterCaseOnly(change.oldPath, change.newPath))
            caseChanges.push_back(index);
        run.underTemporaryName += parked ? 1 : 0;
    }
    ReadSpellingsOfCaseChanges(contents, caseChanges, moved);
    for (std::size_t index = 0; index < count; ++index) {
        const JournalChange& change = contents.changes[index];
        run.moved += moved[index] ? 1 : 0;
        if (!moved[index] && run.inProgress.empty())
            run.inProgress = undo ? change.newPath : change.oldPath;
    }
    if (run.inProgress.empty() && !contents.changes.empty())
        run.inProgress = undo ? contents.changes.back().newPath : contents.changes.back().oldPath;
}

// Where its change was heading; when that name is taken, back where it came from.
bool NameEveryParkedFile(const UnfinishedRun& run) {
    const bool undo = run.contents.kind == JournalKind::Undo;
    bool allNamed = true;
    for (const auto& [index, temporaryPath] : run.contents.temporaryPaths) {
        const JournalChange& change = run.contents.changes[static_cast<std::size_t>(index)];
        if (!HoldsFileOf(temporaryPath, change))
            continue;
        const std::string& heading = undo ? change.oldPath : change.newPath;
        const std::string& origin = undo ? change.newPath : change.oldPath;
        allNamed = (RenameOnDisk(temporaryPath, heading) || RenameOnDisk(temporaryPath, origin)) &&
                   allNamed;
    }
    return allNamed;
}

} // namespace

// Journals a running program is writing are passed over; one that a newer version wrote
// stops the search, since what it did cannot be read.
UndoOutcome UndoLastRun(const std::string& directory, UndoReport& report) {
    for (const std::string& path : JournalsNewestFirst(directory)) {
        if (IsJournalInUse(path))
            continue;
        const JournalReading reading = ReadJournal(path);
        if (reading.fromNewerVersion)
            return Refusal(reading.error);
        if (!reading.contents)
            continue;
        const JournalContents& contents = *reading.contents;
        if (!contents.planned && contents.end.empty())
            RemoveJournal(path); // never planned: it touched no file
        else if (contents.kind == JournalKind::Undo && contents.end.empty())
            return FinishUndo(directory, path, contents, report);
        else if (contents.kind == JournalKind::Run && !contents.undone)
            return UndoRun(directory, path, contents, report);
    }
    return UndoOutcome{};
}

// Runs at every start: journals that ended are told by their last lines alone.
std::optional<UnfinishedRun> FindUnfinishedRun(const std::string& directory) {
    for (const std::string& path : JournalsNewestFirst(directory)) {
        if (IsJournalInUse(path) || JournalHasEnded(path))
            continue;
        const JournalReading reading = ReadJournal(path);
        if (!reading.contents)
            continue;
        if (!reading.contents->planned) {
            RemoveJournal(path); // never planned: it touched no file
            continue;
        }
        // Either answer removes them; gone first, they do not count as files of the run.
        RemoveOwnLeftovers(*reading.contents);
        UnfinishedRun run{path, *reading.contents, 0, {}, 0};
        CountWhereFilesAre(run);
        return run;
    }
    return std::nullopt;
}

std::string DescribeUnfinishedRun(const UnfinishedRun& run) {
    const bool undo = run.contents.kind == JournalKind::Undo;
    const std::string total = std::to_string(run.contents.changes.size());
    std::string text = undo ? "The last undo did not finish.\n\n" + std::to_string(run.moved) +
                                  " of " + total + " files are back under their old names."
                            : "The last run did not finish.\n\n" + std::to_string(run.moved) +
                                  " of " + total + " files were renamed.";
    text += "\nThe file in progress was " + run.inProgress + ".\n";
    text += run.underTemporaryName == 0
                ? std::string("No file is under a temporary name.")
                : std::to_string(run.underTemporaryName) +
                      (run.underTemporaryName == 1 ? " file is" : " files are") +
                      " under a temporary name; it gets a proper name either way.";
    return text + (undo ? "\n\nFinish the undo, or keep the files as they are now?"
                        : "\n\nUndo the run, or keep what was done?");
}

UndoOutcome UndoUnfinishedRun(const std::string& directory, const UnfinishedRun& run,
                              UndoReport& report) {
    if (run.contents.kind == JournalKind::Undo)
        return FinishUndo(directory, run.path, run.contents, report);
    return UndoRun(directory, run.path, run.contents, report);
}

// Every file under a temporary name gets a proper name. The journal hears of the reservations these
// moves make, and stays open while a file could be given neither name, so that the next start asks
// again.
bool KeepUnfinishedRun(const std::string& directory, const UnfinishedRun& run) {
    RemoveOwnLeftovers(run.contents);
    if (const std::unique_ptr<RunJournal> journal = RunJournal::Continue(run.path, run.contents)) {
        if (!NameEveryParkedFile(run)) {
            journal->LeaveUnfinished();
            return false;
        }
        journal->Finish("kept");
    } else if (NameEveryParkedFile(run)) {
        AppendRecord(run.path, EndRecord("kept"));
    } else {
        return false;
    }
    // An undo kept half-way leaves its run open to a later undo, but not to this box.
    if (run.contents.kind == JournalKind::Undo) {
        const std::string runPath = SiblingPath(run.path, run.contents.undoes);
        const JournalReading reading = ReadJournal(runPath);
        if (reading.contents && reading.contents->end.empty())
            AppendRecord(runPath, EndRecord("kept"));
    }
    PruneJournals(directory);
    return true;
}

} // namespace tarvolin
