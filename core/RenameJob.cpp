#include "RenameJob.h"

#include "FileOps.h"
#include "FilePlaces.h"
#include "JournalShelf.h"
#include "NameFieldCheck.h"
#include "NameRules.h"
#include "PlanStamps.h"
#include "RenameOrder.h"
#include "RunJournal.h"
#include "StepHandOver.h"

#include <algorithm>
#include <span>
#include <utility>

namespace tarvolin {

namespace {

// A name field that is no plain name stops the run before any file or journal is touched.
bool CheckNameFields(const RenameOptions& options, RenameOutlets& outlets) {
    const std::optional<std::string> fault = FindNameFieldFault(options);
    if (fault)
        outlets.ShowError(*fault);
    return !fault;
}

enum class FileOutcome {
    Done,
    Failed,
    LeftUnderTemporaryName, // another program took the name in a change of letter case
    JournalStopped,         // the journal could not be written: the run stops before this file
};

// What a step tells its caller: which row to read again and where its file is now; for a step
// that failed, the box and its detail. The system's reason is taken right after the failure,
// on the thread that met it, before any row is read again, which may leave a reason of its own.
struct StepReport {
    FileOutcome outcome = FileOutcome::Done;
    int position = -1;
    const std::string* path = nullptr; // where that file is now
    const char* text = nullptr;
    std::string detail;
    bool ownStep = true; // about the step's own file, after its own steps (not a parking)
};

// The box names the file, and what it was to become, and gives the system's reason.
StepReport Failure(int position, const std::string& path, const char* text,
                   const std::string& target = {}) {
    return {FileOutcome::Failed, position, &path, text,
            FailureDetail(target.empty() ? path : path + "\n" + target, LastFailureReason())};
}

// The row and the box name where the file is, and the run's own path follows it there.
StepReport LeftUnder(std::string& path, int position, std::string fileNowAt) {
    path = std::move(fileNowAt);
    return {FileOutcome::LeftUnderTemporaryName, position, &path, kRenameErrorText,
            "Another file took its name; the file is now " + path + "."};
}

void ShowFailure(const StepReport& report, RenameOutlets& outlets) {
    outlets.RowChanged(report.position, *report.path);
    outlets.ShowErrorWithDetail(report.text, report.detail);
}

// Renames the file at `from` (of list position `position`) to `newPath`, then gives it the
// attributes and times the options ask for, in that fixed order; `path` (the run's own string,
// which may be `from` itself) then holds where the file is. The time writers need no write
// access to the file, so a run that makes files read-only can also give them times. Nothing
// is told to the caller here: the list hears of the file's new path through RowChanged alone,
// once the step is followed (StepHandOver.h).
StepReport ApplyOptionsToFile(FileLayer& files, const std::string& from, std::string& path,
                              int position, std::string newPath, const RenameOptions& options) {
    std::string fileNowAt;
    if (!files.RenameOnDisk(from, newPath, fileNowAt)) {
        if (fileNowAt != from)
            return LeftUnder(path, position, std::move(fileNowAt));
        path = from;
        return Failure(position, path, kRenameErrorText, "to " + newPath);
    }
    path = std::move(newPath);

    if (options.setAttributes && !files.ApplyAttributes(path, options.attributes))
        return Failure(position, path, kAttributesErrorText);
    if (options.setCreationTime &&
        !files.SetCreationTime(path, options.creationDate, options.creationTime))
        return Failure(position, path, kCreateTimeErrorText);
    if (options.setModifyTime && !files.SetModifyTime(path, options.modifyDate, options.modifyTime))
        return Failure(position, path, kModifyTimeErrorText);
    return {FileOutcome::Done, position, &path, nullptr, {}, true};
}

// What undo needs of one file: which file it is, what it showed, and exactly what the run
// is about to change.
JournalChange PlanChange(FileLayer& files, const std::string& oldPath, std::string newPath,
                         const std::optional<FileStamp>& stamp, const RenameOptions& options) {
    JournalChange change;
    change.oldPath = oldPath;
    change.newPath = std::move(newPath);
    if (stamp) {
        change.identity = stamp->identity;
        change.seen = stamp->fingerprint;
    }
    if (!options.setAttributes && !options.setCreationTime && !options.setModifyTime)
        return change;
    std::optional<ExactMetadata> before = files.ReadExactMetadata(oldPath);
    if (!before)
        return change;
    if (!options.setAttributes)
        before->attributes.reset();
    if (!options.setCreationTime)
        before->creation.reset();
    if (!options.setModifyTime) {
        before->modify.reset();
        before->access.reset();
    }
    change.before = before;
    return change;
}

// What the file shows after its last step, for undo to know it by (as the caller read it
// after RowChanged, where it did); with the creation time the run set, for undo to tell
// whether someone changed it since.
std::optional<FileFingerprint> LeftBehind(FileLayer& files, const std::string& path,
                                          const RenameOptions& options,
                                          const std::optional<FileStamp>& after) {
    const std::optional<FileStamp> stamp = after ? after : files.ReadFileStamp(path);
    if (!stamp)
        return std::nullopt;
    FileFingerprint left = stamp->fingerprint;
    if (options.setCreationTime)
        if (const std::optional<ExactMetadata> now = files.ReadExactMetadata(path))
            left.created = now->creation;
    return left;
}

// Undo needs what the run left where the volume keeps no birth time (the change time then
// tells the file), and where the run set a time (which undo then leaves alone if someone
// changed it since). Elsewhere the birth time alone tells the file, and the run spares a
// statx per file.
bool LeftWanted(const std::optional<FileStamp>& before, const RenameOptions& options) {
    return !before || !before->fingerprint.birth || options.setCreationTime ||
           options.setModifyTime;
}

// What a journaled run checks and notes after each step.
struct StepChecks {
    std::vector<bool> leftWanted;       // LeftWanted
    std::vector<std::uint64_t> planned; // PlanStamps::CheckOf
    // A file found for the plan is known by what it left alone (LeftWanted, not for want of
    // a stamp: a file not found stops the run).
    bool knownByWhatItLeaves = false;
};

// What the file left, where undo needs it (LeftWanted), for the journal.
void NoteLeft(FileLayer& files, RunJournal& journal, int index, const std::string& path,
              const RenameOptions& options, bool leftWanted,
              const std::optional<FileStamp>& after) {
    if (leftWanted)
        if (const std::optional<FileFingerprint> left = LeftBehind(files, path, options, after))
            journal.RecordLeft(index, *left, options.setCreationTime || options.setModifyTime);
}

// The steps of a run: the list positions they move, from and to which paths, and which of
// them the run reads for its plan whatever the caller knows (PlanStamps).
struct StepPaths {
    std::span<const int> positions;
    std::span<const std::string> oldPaths;
    std::span<const std::string> newPaths;
    const std::vector<bool>& readAnyway;
};

// The journal with the whole plan on disk, or none when it cannot be written; `problem`
// then says why.
std::unique_ptr<RunJournal> StartJournal(RenameOutlets& outlets, const std::string& directory,
                                         const StepPaths& steps, const RenameOptions& options,
                                         StepChecks& checks, std::string& problem) {
    FileLayer& files = outlets.Files();
    PlanStamps stamps(outlets, steps.positions, steps.readAnyway);
    std::unique_ptr<RunJournal> journal =
        RunJournal::Create(files, directory, JournalKind::Run, {}, &problem,
                           stamps.AnyKnown() ? kJournalFormat : kUncorrectedJournalFormat);
    if (!journal)
        return nullptr;
    stamps.ReadMissing(steps.oldPaths);
    const std::size_t count = steps.oldPaths.size();
    checks.leftWanted.reserve(count);
    checks.planned.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::optional<FileStamp> stamp = stamps.StampOf(i, steps.oldPaths[i]);
        journal->AddChange(PlanChange(files, steps.oldPaths[i], steps.newPaths[i], stamp, options));
        checks.leftWanted.push_back(LeftWanted(stamp, options));
        checks.knownByWhatItLeaves =
            checks.knownByWhatItLeaves || (stamp && checks.leftWanted.back());
        checks.planned.push_back(stamps.CheckOf(i, stamp, options));
    }
    if (journal->StartChanges())
        return journal;
    const std::string path = journal->path();
    problem = path + ": the plan could not be written";
    journal.reset();
    RemoveJournal(path);
    return nullptr;
}

// A journal for the run, or none when the user, told why it cannot be written, chose to run
// without one. False: the run is not to start.
bool OpenJournal(const std::string* directory, const StepPaths& steps, const RenameOptions& options,
                 RenameOutlets& outlets, StepChecks& checks, std::unique_ptr<RunJournal>& journal) {
    if (directory == nullptr)
        return true;
    std::string problem;
    journal = StartJournal(outlets, *directory, steps, options, checks, problem);
    return journal != nullptr || outlets.RunWithoutJournal(problem);
}

// What the file of step `step`, now at `path`, shows once RowChanged told the caller where
// it went, checked against the plan (PlanStamps.h): none without a journal.
std::optional<FileStamp> AfterSteps(RunJournal* journal, int step, int position,
                                    const std::string& path, const StepChecks& checks,
                                    const RenameOptions& options, RenameOutlets& outlets) {
    if (journal == nullptr)
        return std::nullopt;
    return CheckAfterSteps(*journal, outlets, step, position, path,
                           checks.planned[static_cast<std::size_t>(step)], options);
}

JournaledRunResult Unjournaled() {
    return {RunJournalState::NotStarted, {}, {}};
}

// The end of a run whose journal failed: the error box says why and where the run stopped.
JournaledRunResult JournalFailed(RunJournal& journal, RenameOutlets& outlets,
                                 const std::string& nextPath) {
    journal.Finish(RunEnding::Stopped);
    outlets.ShowError(JournalFailureText(journal.failure(), nextPath));
    return {RunJournalState::Failed, journal.failure(), journal.path()};
}

// Ends the journal of a run that went to its end or stopped at a failure of its own.
JournaledRunResult EndJournal(RunJournal* journal, RenameOutlets& outlets, bool finished,
                              const std::string* journalDirectory) {
    if (!journal)
        return Unjournaled();
    if (!journal->Finish(finished ? RunEnding::Finished : RunEnding::Stopped)) {
        outlets.ShowError(JournalFailureText(journal->failure(), {}));
        return {RunJournalState::Failed, journal->failure(), journal->path()};
    }
    PruneJournals(*journalDirectory);
    return {RunJournalState::Written, {}, journal->path()};
}

// A file left under a temporary name keeps the run unfinished: the next start offers to
// give it a proper name.
JournaledRunResult EndAfterFailure(RunJournal* journal, RenameOutlets& outlets, FileOutcome outcome,
                                   const std::string* journalDirectory) {
    if (journal && outcome == FileOutcome::LeftUnderTemporaryName) {
        journal->LeaveUnfinished();
        return {RunJournalState::Written, {}, journal->path()};
    }
    return EndJournal(journal, outlets, false, journalDirectory);
}

// The batch in the order its files are renamed (RenameOrder.h): list positions, with their
// new paths, in that order. The old paths are the list's (OldPathsInOrder).
struct BatchPlan {
    std::vector<int> positions;
    std::vector<std::string> newPaths;
    std::vector<std::optional<std::size_t>> parkings; // by step: the later step to move aside
    bool listOrder = true;                            // the files are taken as listed
    std::vector<bool> parked;                         // by step: moved aside before its turn
};

BatchPlan PlanBatch(const std::vector<std::string>& fileNames, const RenameOptions& options) {
    std::vector<std::string> newPaths;
    newPaths.reserve(fileNames.size());
    for (std::size_t position = 0; position < fileNames.size(); ++position)
        newPaths.push_back(
            ComposeBatchName(fileNames[position], static_cast<int>(position), options));
    RenameSequence sequence = SequenceRenames(fileNames, newPaths);
    BatchPlan plan;
    plan.positions.reserve(fileNames.size());
    for (std::size_t step = 0; step < sequence.order.size(); ++step) {
        plan.positions.push_back(static_cast<int>(sequence.order[step]));
        plan.listOrder = plan.listOrder && sequence.order[step] == step;
    }
    if (plan.listOrder) {
        plan.newPaths = std::move(newPaths);
    } else {
        plan.newPaths.reserve(fileNames.size());
        for (const std::size_t position : sequence.order)
            plan.newPaths.push_back(std::move(newPaths[position]));
    }
    plan.parkings = std::move(sequence.parkings);
    plan.parked.assign(plan.parkings.size(), false);
    for (const std::optional<std::size_t>& aside : plan.parkings)
        if (aside)
            plan.parked[*aside] = true;
    return plan;
}

// The old paths in the plan's order: the list itself where the plan keeps the list's order,
// else `reordered`, filled here.
std::span<const std::string> OldPathsInOrder(const BatchPlan& plan,
                                             const std::vector<std::string>& listed,
                                             std::vector<std::string>& reordered) {
    if (plan.listOrder)
        return listed;
    reordered.reserve(listed.size());
    for (const int position : plan.positions)
        reordered.push_back(listed[static_cast<std::size_t>(position)]);
    return reordered;
}

// The file of a cycle that waits under a temporary name while the others move up.
struct Parking {
    int position = -1; // none waits
    std::string origin;
    std::string temporary;
};

// Moves the file of step `step` aside, its temporary path journaled first. A journal that
// failed has a box of its own: the report then says nothing.
StepReport ParkFile(FileLayer& files, FilePlaces& fileNames, const BatchPlan& plan,
                    std::size_t step, RunJournal* journal, Parking& parking) {
    const int position = plan.positions[step];
    const std::string& path = fileNames[static_cast<std::size_t>(position)];
    const auto announce = [&](const std::string& temporary) {
        if (journal)
            journal->AddTemporaryPath(static_cast<int>(step), temporary);
        return !journal || journal->healthy();
    };
    const std::optional<std::string> temporary =
        ParkAside(files, path, plan.newPaths[step], announce);
    if (!temporary) {
        StepReport report = Failure(position, path, kRenameErrorText);
        report.ownStep = false;
        return report;
    }
    parking = {position, path, *temporary};
    fileNames.Slot(static_cast<std::size_t>(position)) = *temporary;
    return {};
}

// After the run stopped: a file still waiting goes back under its old name where that is
// free; otherwise it stays where it waits, its row saying so.
FileOutcome UnparkAfterStop(FilePlaces& fileNames, const Parking& parking, FileOutcome outcome,
                            RenameOutlets& outlets) {
    if (parking.position < 0)
        return outcome;
    const auto position = static_cast<std::size_t>(parking.position);
    const std::string& path = fileNames[position];
    if (outlets.Files().RenameOnDisk(path, parking.origin)) {
        fileNames.Slot(position) = parking.origin;
        return outcome;
    }
    outlets.RowChanged(parking.position, path);
    return FileOutcome::LeftUnderTemporaryName;
}

// Below this many files a run keeps to its caller's thread: on tmpfs, with both cores free, 64
// files take as long either way (starting the thread eats what the two save), 128 files a
// sixth less on two.
constexpr int kFilesWorthASecondThread = 100;

// A file that only what it left can tell (no birth time, or times the run set) must have that
// in the journal as soon as it is done, or a crash leaves it to be passed over; on a second
// thread it could come up to kStepsAhead files later.
bool WorthASecondThread(int count, const StepChecks& checks, FileLayer& files) {
    return count >= kFilesWorthASecondThread && files.AllowsTwoThreads() &&
           !checks.knownByWhatItLeaves;
}

// One batch run's steps: Take does a file's steps (its parking, rename, attributes and
// times, and the journal's mark that it is done, which must come before the next file moves),
// Follow then tells the caller, on its own thread, what the step did (the row, the journal's
// check and what the file left, the gauge, or the failure's box). Through RunSteps, the two go
// on at once where the file layer allows it (StepHandOver.h), else one after the other: the
// caller hears the same, in the same order, either way. Until the run has stopped, only Take
// touches `fileNames` and the parking; Follow reads where each file is from its slot.
class BatchSteps {
public:
    BatchSteps(BatchPlan& plan, FilePlaces& fileNames, RunJournal* journal,
               const StepChecks& checks, const RenameOptions& options, RenameOutlets& outlets)
        : plan_(plan), fileNames_(fileNames), journal_(journal), checks_(checks), options_(options),
          outlets_(outlets), files_(outlets.Files()),
          slots_(std::min<std::size_t>(plan.positions.size(), kStepsAhead)) {}

    bool Take(int step);
    bool Follow(int step);
    // Once the run has stopped or ended.
    JournaledRunResult End(const std::string* journalDirectory);

private:
    // What Follow needs of a step Take did: where its file is now.
    struct Slot {
        FileOutcome outcome = FileOutcome::Done;
        const std::string* path = nullptr;
    };
    Slot& SlotOf(int step) { return slots_[static_cast<std::size_t>(step) % slots_.size()]; }
    bool Stop(int step, FileOutcome outcome);

    BatchPlan& plan_;
    FilePlaces& fileNames_;
    RunJournal* journal_;
    const StepChecks& checks_;
    const RenameOptions& options_;
    RenameOutlets& outlets_;
    FileLayer& files_;
    std::vector<Slot> slots_;
    Parking parking_;
    StepReport failure_; // of the step the run stopped at
    int stoppedAt_ = -1;
};

bool BatchSteps::Stop(int step, FileOutcome outcome) {
    SlotOf(step).outcome = outcome;
    stoppedAt_ = step;
    return false;
}

bool BatchSteps::Take(int step) {
    const auto at = static_cast<std::size_t>(step);
    const int position = plan_.positions[at];
    if (journal_ && !journal_->healthy())
        return Stop(step, FileOutcome::JournalStopped);
    if (const std::optional<std::size_t> aside = plan_.parkings[at]) {
        failure_ = ParkFile(files_, fileNames_, plan_, *aside, journal_, parking_);
        if (journal_ && !journal_->healthy())
            return Stop(step, FileOutcome::JournalStopped);
        if (failure_.outcome != FileOutcome::Done)
            return Stop(step, failure_.outcome);
    }
    const std::string& from = fileNames_[static_cast<std::size_t>(position)];
    StepReport report =
        ApplyOptionsToFile(files_, from, fileNames_.Slot(static_cast<std::size_t>(position)),
                           position, std::move(plan_.newPaths[at]), options_);
    const std::string& path = *report.path;
    if (position == parking_.position && path != parking_.temporary)
        parking_ = {}; // it has its new name, whatever its attributes and times did
    if (report.outcome != FileOutcome::Done) {
        failure_ = std::move(report);
        return Stop(step, failure_.outcome);
    }
    if (journal_)
        journal_->ChangeDone(step); // a failure stops the run before the next file
    SlotOf(step) = {FileOutcome::Done, &path};
    return true;
}

bool BatchSteps::Follow(int step) {
    const auto at = static_cast<std::size_t>(step);
    const int position = plan_.positions[at];
    const Slot slot = SlotOf(step);
    if (slot.outcome == FileOutcome::JournalStopped)
        return false;
    if (slot.outcome != FileOutcome::Done) {
        ShowFailure(failure_, outlets_);
        if (failure_.ownStep)
            AfterSteps(journal_, step, position, *failure_.path, checks_, options_, outlets_);
        return false;
    }
    outlets_.RowChanged(position, *slot.path);
    const std::optional<FileStamp> after =
        AfterSteps(journal_, step, position, *slot.path, checks_, options_, outlets_);
    if (journal_) {
        NoteLeft(files_, *journal_, step, *slot.path, options_, checks_.leftWanted[at], after);
        if (!journal_->healthy() && at + 1 < plan_.positions.size())
            return true; // the run stops before its next file, with the journal's box
    }
    outlets_.SetGaugePosition(step);
    return true;
}

JournaledRunResult BatchSteps::End(const std::string* journalDirectory) {
    if (stoppedAt_ < 0)
        return EndJournal(journal_, outlets_, true, journalDirectory);
    const FileOutcome outcome = SlotOf(stoppedAt_).outcome;
    const FileOutcome left = UnparkAfterStop(fileNames_, parking_, outcome, outlets_);
    if (outcome != FileOutcome::JournalStopped)
        return EndAfterFailure(journal_, outlets_, left, journalDirectory);
    const int position = plan_.positions[static_cast<std::size_t>(stoppedAt_)];
    return JournalFailed(*journal_, outlets_, fileNames_[static_cast<std::size_t>(position)]);
}

JournaledRunResult RunBatch(const std::vector<std::string>& listed, const RenameOptions& options,
                            RenameOutlets& outlets, const std::string* journalDirectory) {
    if (!CheckFilesListed(listed, outlets) || !CheckNameFields(options, outlets))
        return Unjournaled();
    const int count = static_cast<int>(listed.size());
    BatchPlan plan = PlanBatch(listed, options);
    // Where each file is as the run goes: the list itself is written only by whoever hears
    // RowChanged.
    FilePlaces fileNames(listed);
    StepChecks checks;
    std::unique_ptr<RunJournal> journal;
    std::vector<std::string> reordered; // only a journal reads the old paths in the plan's order
    const std::span<const std::string> oldPaths = journalDirectory
                                                      ? OldPathsInOrder(plan, listed, reordered)
                                                      : std::span<const std::string>();
    if (!OpenJournal(journalDirectory, {plan.positions, oldPaths, plan.newPaths, plan.parked},
                     options, outlets, checks, journal))
        return Unjournaled();
    // The position is left alone: the gauge keeps the previous run's value, lowered into
    // the new range, until the first file is done.
    outlets.SetGaugeRange(0, count - 1);
    const FoldersHeldForRun folders(outlets.Files());
    BatchSteps steps(plan, fileNames, journal.get(), checks, options, outlets);
    RunSteps(
        count, WorthASecondThread(count, checks, outlets.Files()),
        [&](int step) { return steps.Take(step); }, [&](int step) { return steps.Follow(step); });
    return steps.End(journalDirectory);
}

JournaledRunResult ChangeOne(const std::vector<std::string>& fileNames, int position,
                             const RenameOptions& options, RenameOutlets& outlets,
                             const std::string* journalDirectory) {
    if (!CheckFilesListed(fileNames, outlets))
        return Unjournaled();
    if (position < 0 || static_cast<std::size_t>(position) >= fileNames.size())
        return Unjournaled();
    if (!CheckNameFields(options, outlets))
        return Unjournaled();
    const auto at = static_cast<std::size_t>(position);
    std::string newPath = ComposeSingleName(fileNames[at], options);
    StepChecks checks;
    std::unique_ptr<RunJournal> journal;
    const std::vector<bool> readAnyway = {false};
    if (!OpenJournal(journalDirectory,
                     {std::span(&position, 1), std::span(fileNames).subspan(at, 1),
                      std::span(&newPath, 1), readAnyway},
                     options, outlets, checks, journal))
        return Unjournaled();
    std::string path = fileNames[at];
    const StepReport report =
        ApplyOptionsToFile(outlets.Files(), path, path, position, std::move(newPath), options);
    if (report.outcome == FileOutcome::Done)
        outlets.RowChanged(position, path);
    else
        ShowFailure(report, outlets);
    const std::optional<FileStamp> after =
        AfterSteps(journal.get(), 0, position, path, checks, options, outlets);
    if (report.outcome != FileOutcome::Done)
        return EndAfterFailure(journal.get(), outlets, report.outcome, journalDirectory);
    if (journal) {
        NoteLeft(outlets.Files(), *journal, 0, path, options, checks.leftWanted.front(), after);
        journal->ChangeDone(0);
    }
    return EndJournal(journal.get(), outlets, true, journalDirectory);
}

} // namespace

bool CheckFilesListed(const std::vector<std::string>& fileNames, RenameOutlets& outlets) {
    if (!fileNames.empty())
        return true;
    outlets.ShowError(kNoFilesListedText);
    return false;
}

void RunRenameJob(const std::vector<std::string>& fileNames, const RenameOptions& options,
                  RenameOutlets& outlets) {
    RunBatch(fileNames, options, outlets, nullptr);
}

void ChangeSingleFile(const std::vector<std::string>& fileNames, int position,
                      const RenameOptions& options, RenameOutlets& outlets) {
    ChangeOne(fileNames, position, options, outlets, nullptr);
}

std::string FailureDetail(const std::string& file, const std::string& reason) {
    return reason.empty() ? file : file + "\n" + reason;
}

std::string JournalFailureText(const std::string& reason, const std::string& nextPath) {
    const std::string cause = "The run journal could not be written (" + reason + ")";
    if (nextPath.empty())
        return cause + "; the run's files are renamed, but its end is not recorded.";
    return cause + "; the run stopped before " + nextPath + ".";
}

JournaledRunResult RunJournaledRenameJob(const std::vector<std::string>& fileNames,
                                         const RenameOptions& options, RenameOutlets& outlets,
                                         const std::string& journalDirectory) {
    return RunBatch(fileNames, options, outlets, &journalDirectory);
}

JournaledRunResult ChangeJournaledSingleFile(const std::vector<std::string>& fileNames,
                                             int position, const RenameOptions& options,
                                             RenameOutlets& outlets,
                                             const std::string& journalDirectory) {
    return ChangeOne(fileNames, position, options, outlets, &journalDirectory);
}

} // namespace tarvolin
