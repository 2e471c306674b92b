#include "RunUndo.h"

#include "ChangeRestore.h"
#include "FileOps.h"
#include "JournalShelf.h"
#include "LetterCase.h"
#include "OwnLeftovers.h"
#include "RenameOrder.h"
#include "RunJournal.h"

#include <algorithm>

namespace tarvolin {

namespace {

const std::string* TemporaryPathOf(const std::map<int, std::string>& temporaryPaths, int index) {
    const auto found = temporaryPaths.find(index);
    return found == temporaryPaths.end() ? nullptr : &found->second;
}

const std::string* TemporaryPathOf(const JournalContents& contents, int index) {
    return TemporaryPathOf(contents.temporaryPaths, index);
}

// Where each change's file goes from and to: an undo takes them backwards.
void PathsOf(const JournalContents& contents, std::vector<std::string>& from,
             std::vector<std::string>& to) {
    const bool undo = contents.kind == JournalKind::Undo;
    for (const JournalChange& change : contents.changes) {
        from.push_back(undo ? change.newPath : change.oldPath);
        to.push_back(undo ? change.oldPath : change.newPath);
    }
}

std::vector<std::optional<std::size_t>> ParkingsOf(const JournalContents& contents) {
    std::vector<std::string> from, to;
    PathsOf(contents, from, to);
    return FindParkings(from, to);
}

// An undo's file of a cycle moves aside before the one heading into its name goes: to the
// temporary name its run used, where that is free, else to a fresh one, journaled first.
void ParkForUndo(FileLayer& files, const JournalContents& undo, int index, RunJournal& journal,
                 std::map<int, std::string>& temporaryPaths) {
    const JournalChange& change = undo.changes[static_cast<std::size_t>(index)];
    const std::string* used = TemporaryPathOf(temporaryPaths, index);
    const std::optional<std::string> at = FindFileOf(files, change, used);
    if (!at || *at != change.newPath || change.newPath == change.oldPath)
        return; // it waits already, or its run never moved it
    if (used != nullptr && !files.ReadFileIdentity(*used) &&
        files.RenameOnDisk(change.newPath, *used))
        return;
    ParkAside(files, change.newPath, change.oldPath, [&](const std::string& temporary) {
        journal.AddTemporaryPath(index, temporary);
        temporaryPaths[index] = temporary;
        return journal.healthy();
    });
}

std::string SiblingPath(const std::string& journalPath, const std::string& name) {
    const std::size_t cut = journalPath.size() - JournalName(journalPath).size();
    return journalPath.substr(0, cut) + name;
}

void AppendRecord(JournalFile& file, const std::string& record) {
    file.Append(record);
    file.MakeDurable();
}

void AppendRecord(const std::string& journalPath, const std::string& record) {
    if (const std::unique_ptr<JournalFile> file = JournalFile::OpenToAppend(journalPath)) {
        file->Append(record);
        file->MakeDurable();
    }
}

// Works through the undo journal from the first change not done, then marks the run undone
// in its journal, which the undo holds (when it is still there).
// `parkings` are ParkingsOf(undo).
UndoOutcome ContinueUndo(FileLayer& files, const std::string& directory, JournalFile* run,
                         RunJournal& journal, const JournalContents& undo,
                         const std::vector<std::optional<std::size_t>>& parkings,
                         UndoReport& report) {
    UndoOutcome outcome{UndoResult::Finished, {}, 0, 0};
    const int count = static_cast<int>(undo.changes.size());
    std::map<int, std::string> temporaryPaths = undo.temporaryPaths;
    for (int index = undo.doneThrough + 1; index < count; ++index) {
        const JournalChange& change = undo.changes[static_cast<std::size_t>(index)];
        if (const std::optional<std::size_t> aside = parkings[static_cast<std::size_t>(index)])
            ParkForUndo(files, undo, static_cast<int>(*aside), journal, temporaryPaths);
        const std::string* temporaryPath = TemporaryPathOf(temporaryPaths, index);
        bool nameBackRecorded = false;
        const RestoreResult result =
            RestoreChange(files, change, temporaryPath, [&](const FileFingerprint& back) {
                journal.RecordNameBack(index, back);
                nameBackRecorded = true;
            });
        if (!result.failure.empty()) {
            ++outcome.skipped;
            report.FileSkipped(temporaryPath != nullptr &&
                                       HoldsFileOfAtTemporaryName(files, *temporaryPath, change)
                                   ? *temporaryPath
                                   : change.newPath,
                               result.failure);
        } else if (result.touched) {
            ++outcome.restored;
            report.FileRestored(change.newPath, change.oldPath);
            if (!result.note.empty())
                report.PartLeftAlone(change.oldPath, result.note);
        }
        if (nameBackRecorded)
            journal.ChangeDoneNow(index);
        else
            journal.ChangeDone(index);
    }
    journal.Finish(RunEnding::Finished);
    if (run != nullptr)
        AppendRecord(*run, UndoneRecord());
    PruneJournals(directory);
    return outcome;
}

UndoOutcome Refusal(std::string message) {
    return {UndoResult::Refused, std::move(message), 0, 0};
}

UndoOutcome Damaged(const std::string& path, const std::string& error) {
    return Refusal("The run journal " + path + " is left as it is, as it cannot be undone. " +
                   error);
}

// The run's journal, locked for the whole undo so that a second undo of the same run finds
// it in use. No value (with `refusal` saying why) when another undo holds it or has just
// finished; null inside when it is gone (an undo finished after its run was pruned).
std::optional<std::unique_ptr<JournalFile>> HoldRun(FileLayer& files, const std::string& runPath,
                                                    UndoOutcome& refusal) {
    std::unique_ptr<JournalFile> held = JournalFile::OpenToAppend(runPath);
    if (held && !JournalWasUndone(runPath))
        return held;
    if (held || IsJournalInUse(runPath))
        refusal = Refusal(kRunBeingUndoneText);
    else if (files.ReadFileIdentity(runPath))
        refusal = Refusal("The run journal " + runPath + " cannot be written.");
    else
        return std::unique_ptr<JournalFile>();
    return std::nullopt;
}

// The last change a run may have touched: a run that ended stopped at the one after its last
// done mark; one that did not end may have got further than its batched marks say.
int LastChangeReached(const JournalContents& run) {
    const int last = static_cast<int>(run.changes.size()) - 1;
    if (run.end == RunEnding::Finished)
        return last;
    if (run.end == RunEnding::None)
        return last;
    return std::min(run.doneThrough + 1, last);
}

// A run that stopped at a file listed a second time failed to rename it: the file had
// already gone to the name its first listing gave it.
bool StoppedAtARepeatedFile(const JournalContents& run, int index) {
    if (run.end != RunEnding::Stopped || index != run.doneThrough + 1)
        return false;
    const JournalChange& stopped = run.changes[static_cast<std::size_t>(index)];
    return std::any_of(
        run.changes.begin(), run.changes.begin() + index,
        [&stopped](const JournalChange& c) { return c.identity == stopped.identity; });
}

// Puts `items` in `order`: position k then holds what was at `order[k]`. Each item moves once,
// and one per cycle of the permutation waits aside.
template <typename T>
void PermuteInPlace(std::vector<T>& items, const std::vector<std::size_t>& order) {
    std::vector<bool> placed(items.size());
    for (std::size_t start = 0; start < items.size(); ++start) {
        if (placed[start])
            continue;
        T held = std::move(items[start]);
        std::size_t at = start;
        for (std::size_t next = order[at]; next != start; at = next, next = order[at]) {
            items[at] = std::move(items[next]);
            placed[at] = true;
        }
        items[at] = std::move(held);
        placed[at] = true;
    }
}

// The run's indices of the changes an undo puts back, newest first. Changes the run never
// reached, and files that were missing when it was planned, have nothing to put back, so
// they are left out rather than reported as not restored.
std::vector<int> ReachedNewestFirst(const JournalContents& run) {
    std::vector<int> reached;
    for (int index = LastChangeReached(run); index >= 0; --index) {
        const JournalChange& change = run.changes[static_cast<std::size_t>(index)];
        if (change.identity && !StoppedAtARepeatedFile(run, index))
            reached.push_back(index);
    }
    return reached;
}

// Keeps the changes at `reached` alone, in that order, each moved once.
void KeepOnly(std::vector<JournalChange>& changes, const std::vector<int>& reached) {
    for (std::size_t kept = 0; kept < reached.size(); ++kept) { // oldest first, to the front
        const auto index = static_cast<std::size_t>(reached.rbegin()[kept]);
        if (index != kept)
            changes[kept] = std::move(changes[index]);
    }
    changes.resize(reached.size());
    std::reverse(changes.begin(), changes.end());
}

// Puts an undo's changes in the order that never meets a name of its own (RenameOrder.h) and
// gives that order; `parkings` become ParkingsOf them. Their paths are lent to the ordering
// and given back, not copied.
std::vector<std::size_t> OrderForUndo(std::vector<JournalChange>& changes,
                                      std::vector<std::optional<std::size_t>>& parkings) {
    std::vector<std::string> from, to; // each file goes from its new path to its old one
    from.reserve(changes.size());
    to.reserve(changes.size());
    for (JournalChange& change : changes) {
        from.push_back(std::move(change.newPath));
        to.push_back(std::move(change.oldPath));
    }
    std::vector<std::size_t> order = OrderRenames(from, to);
    PermuteInPlace(changes, order);
    PermuteInPlace(from, order);
    PermuteInPlace(to, order);
    parkings = FindParkings(from, to);
    for (std::size_t at = 0; at < changes.size(); ++at) {
        changes[at].newPath = std::move(from[at]);
        changes[at].oldPath = std::move(to[at]);
    }
    return order;
}

struct PlannedUndo {
    JournalContents undo;
    std::vector<std::optional<std::size_t>> parkings; // ParkingsOf(undo)
};

// The run's changes newest first (ReachedNewestFirst), with the temporary names its files
// may be under. Where the run renamed into names its own files left (a chain, a cycle), the
// undo does the same backwards: it never meets a name of its own. The plan is made of the
// run's own changes, moved rather than copied: for a run of 100 000 files a copy would cost
// some 60 MB.
PlannedUndo UndoPlan(const std::string& runPath, JournalContents run) {
    const std::vector<int> reached = ReachedNewestFirst(run);
    KeepOnly(run.changes, reached);
    PlannedUndo planned;
    const std::vector<std::size_t> order = OrderForUndo(run.changes, planned.parkings);
    JournalContents& undo = planned.undo;
    undo.kind = JournalKind::Undo;
    undo.undoes = JournalName(runPath);
    for (std::size_t at = 0; at < order.size(); ++at) {
        const auto temporary = run.temporaryPaths.find(reached[order[at]]);
        if (temporary != run.temporaryPaths.end())
            undo.temporaryPaths[static_cast<int>(at)] = temporary->second;
        JournalChange& change = run.changes[at];
        // The undo expects each file as the run left it.
        if (change.left)
            change.seen = change.left;
        change.done = false;
    }
    undo.changes = std::move(run.changes);
    return planned;
}

bool SetsMetadata(const JournalChange& change) {
    return change.attributes || change.creationTime || change.modifyTime || change.before;
}

std::string FolderOf(const std::string& path) {
    const std::size_t cut =
        path.find_last_of(NativePathSyntax() == PathSyntax::Windows ? "\\/:" : "/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string TwoDigits(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

UndoOutcome UndoRun(FileLayer& files, const std::string& directory, const std::string& runPath,
                    JournalContents run, UndoReport& report) {
    UndoOutcome refusal;
    const std::optional<std::unique_ptr<JournalFile>> held = HoldRun(files, runPath, refusal);
    if (!held || !*held)
        return held ? Refusal("The run journal " + runPath + " is gone.") : refusal;
    if (run.end == RunEnding::None)
        RemoveOwnLeftovers(files, run);
    const PlannedUndo planned = UndoPlan(runPath, std::move(run));
    const JournalContents& undo = planned.undo;
    const std::unique_ptr<RunJournal> journal =
        RunJournal::Create(files, directory, JournalKind::Undo, undo.undoes);
    if (!journal)
        return Refusal("The undo cannot be written to its journal in " + directory + ".");
    for (const JournalChange& change : undo.changes)
        journal->AddChange(change);
    // What the run left, so that the undo knows its files by it; durable with the plan.
    for (std::size_t index = 0; index < undo.changes.size(); ++index)
        if (const std::optional<FileFingerprint>& left = undo.changes[index].left)
            journal->RecordLeft(static_cast<int>(index), *left);
    if (!journal->StartChanges())
        return Refusal("The undo's journal cannot be made durable in " + directory + ".");
    for (const auto& [index, path] : undo.temporaryPaths)
        journal->AddTemporaryPath(index, path);
    return ContinueUndo(files, directory, held->get(), *journal, undo, planned.parkings, report);
}

UndoOutcome FinishUndo(FileLayer& files, const std::string& directory, const std::string& undoPath,
                       const JournalContents& undo, UndoReport& report) {
    UndoOutcome refusal;
    const std::optional<std::unique_ptr<JournalFile>> held =
        HoldRun(files, SiblingPath(undoPath, undo.undoes), refusal);
    if (!held)
        return refusal;
    RemoveOwnLeftovers(files, undo);
    const std::unique_ptr<RunJournal> journal = RunJournal::Continue(files, undoPath, undo);
    if (!journal)
        return Refusal(IsJournalInUse(undoPath)
                           ? std::string(kRunBeingUndoneText)
                           : "The journal " + undoPath + " cannot be written.");
    return ContinueUndo(files, directory, held->get(), *journal, undo, ParkingsOf(undo), report);
}

// On a case-insensitive volume a new name that differs from the old one in letter case alone
// finds the file under either: only the folder's listing tells which spelling it has. Where
// it lists neither (lowntfs-3g lists every name in lower case), the journal's done marks do.
void ReadSpellingsOfCaseChanges(FileLayer& files, const JournalContents& contents,
                                const std::vector<std::size_t>& caseChanges,
                                std::vector<bool>& moved) {
    const bool undo = contents.kind == JournalKind::Undo;
    std::vector<std::string> spellings; // each change's target, then its origin
    for (const std::size_t index : caseChanges) {
        const JournalChange& change = contents.changes[index];
        spellings.push_back(undo ? change.oldPath : change.newPath);
        spellings.push_back(undo ? change.newPath : change.oldPath);
    }
    const std::vector<bool> listed = files.ListedAsSpelled(spellings);
    for (std::size_t i = 0; i < caseChanges.size(); ++i) {
        const bool asTarget = listed[2 * i];
        const bool asOrigin = listed[2 * i + 1];
        moved[caseChanges[i]] = asTarget || asOrigin
                                    ? asTarget && !asOrigin
                                    : static_cast<int>(caseChanges[i]) <= contents.doneThrough;
    }
}

void CountWhereFilesAre(FileLayer& files, UnfinishedRun& run) {
    const JournalContents& contents = run.contents;
    const bool undo = contents.kind == JournalKind::Undo;
    const std::size_t count = contents.changes.size();
    std::vector<bool> moved(count, false);
    std::vector<std::size_t> caseChanges;
    for (std::size_t index = 0; index < count; ++index) {
        const JournalChange& change = contents.changes[index];
        const std::string* temporaryPath = TemporaryPathOf(contents, static_cast<int>(index));
        const bool parked =
            temporaryPath != nullptr && HoldsFileOfAtTemporaryName(files, *temporaryPath, change);
        const std::string& target = undo ? change.oldPath : change.newPath;
        moved[index] =
            !parked && change.oldPath != change.newPath && HoldsFileOf(files, target, change);
        if (moved[index] && DiffersInLetterCaseOnly(change.oldPath, change.newPath))
            caseChanges.push_back(index);
        run.underTemporaryName += parked ? 1 : 0;
    }
    ReadSpellingsOfCaseChanges(files, contents, caseChanges, moved);
    for (std::size_t index = 0; index < count; ++index) {
        const JournalChange& change = contents.changes[index];
        run.moved += moved[index] ? 1 : 0;
        if (!moved[index] && run.inProgress.empty())
            run.inProgress = undo ? change.newPath : change.oldPath;
    }
    if (run.inProgress.empty() && !contents.changes.empty())
        run.inProgress = undo ? contents.changes.back().newPath : contents.changes.back().oldPath;
}

// A file of a cycle cut off half-way may find both its names taken by the cycle's other
// files: the cycle is then carried to its end, from the first of them still where it was.
bool FinishCycleOf(FileLayer& files, const JournalContents& contents, std::size_t parked) {
    const std::vector<std::optional<std::size_t>> parkings = ParkingsOf(contents);
    const auto first = std::find(parkings.begin(), parkings.end(), parked);
    if (first == parkings.end())
        return false;
    const bool undo = contents.kind == JournalKind::Undo;
    for (auto at = static_cast<std::size_t>(first - parkings.begin()); at < parked; ++at) {
        const JournalChange& change = contents.changes[at];
        const std::string& origin = undo ? change.newPath : change.oldPath;
        const std::string& heading = undo ? change.oldPath : change.newPath;
        const std::optional<std::string> where =
            FindFileOf(files, change, TemporaryPathOf(contents, static_cast<int>(at)));
        if (where == origin && origin != heading && !files.RenameOnDisk(origin, heading))
            return false;
    }
    return true;
}

// Where its change was heading; when that name is taken, back where it came from.
bool NameEveryParkedFile(FileLayer& files, const UnfinishedRun& run) {
    const bool undo = run.contents.kind == JournalKind::Undo;
    bool allNamed = true;
    for (const auto& [index, temporaryPath] : run.contents.temporaryPaths) {
        const JournalChange& change = run.contents.changes[static_cast<std::size_t>(index)];
        if (!HoldsFileOfAtTemporaryName(files, temporaryPath, change))
            continue;
        const std::string& heading = undo ? change.oldPath : change.newPath;
        const std::string& origin = undo ? change.newPath : change.oldPath;
        allNamed = (files.RenameOnDisk(temporaryPath, heading) ||
                    files.RenameOnDisk(temporaryPath, origin) ||
                    (FinishCycleOf(files, run.contents, static_cast<std::size_t>(index)) &&
                     files.RenameOnDisk(temporaryPath, heading))) &&
                   allNamed;
    }
    return allNamed;
}

} // namespace

PendingUndo Refused(std::string message) {
    return {UndoResult::Refused, std::move(message), {}, {}};
}

// The journal of an undo that another program is running is passed over, and the run it holds
// stops the search, as does a journal that cannot be read or that a newer version wrote:
// undoing a run further back would undo the wrong one.
PendingUndo FindPendingUndo(FileLayer& files, const std::string& directory) {
    for (const std::string& path : JournalsNewestFirst(directory)) {
        const bool inUse = IsJournalInUse(path);
        if (!inUse && JournalWasUndone(path))
            continue; // told by its last lines, without reading the whole run
        JournalReading reading = ReadJournal(path);
        if (inUse && (!reading.contents || reading.contents->kind == JournalKind::Undo))
            continue; // an undo going on, which holds the run it undoes
        if (inUse)
            return Refused(reading.contents->end == RunEnding::None ? kRunGoingOnText
                                                                    : kRunBeingUndoneText);
        if (reading.fromNewerVersion)
            return Refused(reading.error);
        if (reading.empty && RemoveEmptyJournal(path))
            continue;
        if (!reading.contents)
            return Refused(Damaged(path, reading.error).message);
        JournalContents& contents = *reading.contents;
        if (!contents.planned && contents.end == RunEnding::None && reading.stoppedEarly)
            return Refused(Damaged(path, "A line of its plan cannot be read.").message);
        if (!contents.planned && contents.end == RunEnding::None)
            RemoveJournal(path); // never planned: it touched no file
        else if ((contents.kind == JournalKind::Undo && contents.end == RunEnding::None) ||
                 (contents.kind == JournalKind::Run && !contents.undone &&
                  !RunChangedNothing(files, contents)))
            return {UndoResult::Finished, {}, path, std::move(contents)};
    }
    return {};
}

std::string DescribePendingUndo(const PendingUndo& pending) {
    const JournalContents& contents = pending.contents;
    std::string text =
        contents.kind == JournalKind::Undo ? "the undo, cut short, of the run" : "the run";
    if (const std::optional<LocalDateTime> ended = GetModifyTime(pending.path))
        text += " of " + std::to_string(ended->year) + "-" + TwoDigits(ended->month) + "-" +
                TwoDigits(ended->day) + " " + TwoDigits(ended->hour) + ":" +
                TwoDigits(ended->minute);
    const std::size_t count = contents.changes.size();
    text += " over " + std::to_string(count) + (count == 1 ? " file" : " files");
    if (count == 0)
        return text;
    const std::string folder = FolderOf(contents.changes.front().oldPath);
    const bool oneFolder =
        std::all_of(contents.changes.begin(), contents.changes.end(),
                    [&folder](const JournalChange& c) { return FolderOf(c.oldPath) == folder; });
    return text + (oneFolder ? " in " + folder : " in several folders, the first " + folder);
}

UndoOutcome CarryOutUndo(FileLayer& files, const std::string& directory, PendingUndo pending,
                         UndoReport& report) {
    if (pending.result != UndoResult::Finished)
        return {pending.result, pending.message, 0, 0};
    if (pending.contents.kind == JournalKind::Undo)
        return FinishUndo(files, directory, pending.path, pending.contents, report);
    return UndoRun(files, directory, pending.path, std::move(pending.contents), report);
}

UndoOutcome UndoLastRun(FileLayer& files, const std::string& directory, UndoReport& report) {
    return CarryOutUndo(files, directory, FindPendingUndo(files, directory), report);
}

bool RunChangedNothing(FileLayer& files, const JournalContents& run) {
    for (int index = 0; index <= LastChangeReached(run); ++index) {
        const JournalChange& change = run.changes[static_cast<std::size_t>(index)];
        const bool renames = change.oldPath != change.newPath;
        const bool changed = index <= run.doneThrough
                                 ? renames || SetsMetadata(change)
                                 : (renames && !HoldsFileOf(files, change.oldPath, change)) ||
                                       (!renames && SetsMetadata(change));
        if (changed)
            return false;
    }
    return true;
}

// Runs at every start: journals that ended are told by their last lines alone.
std::optional<UnfinishedRun> FindUnfinishedRun(FileLayer& files, const std::string& directory) {
    for (const std::string& path : JournalsNewestFirst(directory)) {
        if (IsJournalInUse(path) || JournalHasEnded(path))
            continue;
        const JournalReading reading = ReadJournal(path);
        if (reading.empty)
            RemoveEmptyJournal(path);
        if (!reading.contents || (!reading.contents->planned && reading.stoppedEarly))
            continue; // an undo of it says why it cannot be read
        if (!reading.contents->planned) {
            RemoveJournal(path); // never planned: it touched no file
            continue;
        }
        // Either answer removes them; gone first, they do not count as files of the run.
        RemoveOwnLeftovers(files, *reading.contents);
        UnfinishedRun run{path, *reading.contents, 0, {}, 0};
        CountWhereFilesAre(files, run);
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

UndoOutcome UndoUnfinishedRun(FileLayer& files, const std::string& directory,
                              const UnfinishedRun& run, UndoReport& report) {
    if (run.contents.kind == JournalKind::Undo)
        return FinishUndo(files, directory, run.path, run.contents, report);
    return UndoRun(files, directory, run.path, run.contents, report);
}

// Every file under a temporary name gets a proper name. The journal hears of the reservations these
// moves make, and stays open while a file could be given neither name, so that the next start asks
// again.
bool KeepUnfinishedRun(FileLayer& files, const std::string& directory, const UnfinishedRun& run) {
    RemoveOwnLeftovers(files, run.contents);
    if (const std::unique_ptr<RunJournal> journal =
            RunJournal::Continue(files, run.path, run.contents)) {
        if (!NameEveryParkedFile(files, run)) {
            journal->LeaveUnfinished();
            return false;
        }
        journal->Finish(RunEnding::Kept);
    } else if (NameEveryParkedFile(files, run)) {
        AppendRecord(run.path, EndRecord(RunEnding::Kept));
    } else {
        return false;
    }
    // An undo kept half-way leaves its run open to a later undo, but not to this box.
    if (run.contents.kind == JournalKind::Undo) {
        const std::string runPath = SiblingPath(run.path, run.contents.undoes);
        const JournalReading reading = ReadJournal(runPath);
        if (reading.contents && reading.contents->end == RunEnding::None)
            AppendRecord(runPath, EndRecord(RunEnding::Kept));
    }
    PruneJournals(directory);
    return true;
}

} // namespace tarvolin
