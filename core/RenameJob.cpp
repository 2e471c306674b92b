#include "RenameJob.h"

#include "FileOps.h"
#include "JournalShelf.h"
#include "NameFieldCheck.h"
#include "NameRules.h"
#include "RunJournal.h"

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

bool ReportFailure(RenameOutlets& outlets, int position, const std::string& path,
                   const char* text) {
    outlets.RowChanged(position, path);
    outlets.ShowError(text);
    return false;
}

// Renames the file at `position` to `newPath`, then gives it the attributes and times the
// options ask for, in that fixed order. The time writers need no write access to the file,
// so a run that makes files read-only can also give them times.
bool ApplyOptionsToFile(std::vector<std::string>& fileNames, int position, std::string newPath,
                        const RenameOptions& options, RenameOutlets& outlets) {
    const std::string& oldPath = fileNames[static_cast<std::size_t>(position)];
    if (!RenameOnDisk(oldPath, newPath))
        return ReportFailure(outlets, position, oldPath, kRenameErrorText);
    fileNames[static_cast<std::size_t>(position)] = std::move(newPath);
    const std::string& path = fileNames[static_cast<std::size_t>(position)];

    if (options.setAttributes &&
        !ApplyAttributes(path, options.readOnly, options.hidden, options.system, options.archive))
        return ReportFailure(outlets, position, path, kAttributesErrorText);
    if (options.setCreationTime &&
        !SetCreationTime(path, options.creationDate, options.creationTime))
        return ReportFailure(outlets, position, path, kCreateTimeErrorText);
    if (options.setModifyTime && !SetModifyTime(path, options.modifyDate, options.modifyTime))
        return ReportFailure(outlets, position, path, kModifyTimeErrorText);

    outlets.RowChanged(position, path);
    return true;
}

// What undo needs of one file: which file it is and what the run is about to change.
JournalChange PlanChange(const std::string& oldPath, std::string newPath,
                         std::optional<FileIdentity> identity, const RenameOptions& options) {
    JournalChange change{oldPath, std::move(newPath), identity, {}, {}, {}};
    if (!options.setAttributes && !options.setCreationTime && !options.setModifyTime)
        return change;
    const FileSummary before = ReadFileSummary(oldPath);
    if (options.setAttributes && before.attributes != kUnreadableAttributes)
        change.attributes = before.attributes;
    if (options.setCreationTime)
        change.creationTime = before.creationTime;
    if (options.setModifyTime)
        change.modifyTime = before.modifyTime;
    return change;
}

// The journal with the whole plan on disk, or none when it cannot be written.
std::unique_ptr<RunJournal> StartJournal(const std::string& directory,
                                         std::span<const std::string> oldPaths,
                                         std::span<const std::string> newPaths,
                                         const RenameOptions& options) {
    std::unique_ptr<RunJournal> journal = RunJournal::Create(directory, JournalKind::Run);
    if (!journal)
        return nullptr;
    const std::vector<std::optional<FileIdentity>> identities = ReadFileIdentities(oldPaths);
    for (std::size_t i = 0; i < oldPaths.size(); ++i)
        journal->AddChange(PlanChange(oldPaths[i], newPaths[i], identities[i], options));
    if (journal->StartChanges())
        return journal;
    const std::string path = journal->path();
    journal.reset();
    RemoveJournal(path);
    return nullptr;
}

void RunBatch(std::vector<std::string>& fileNames, const RenameOptions& options,
              RenameOutlets& outlets, const std::string* journalDirectory) {
    if (!CheckFilesListed(fileNames, outlets) || !CheckNameFields(options, outlets))
        return;
    const int count = static_cast<int>(fileNames.size());
    std::vector<std::string> newPaths;
    newPaths.reserve(fileNames.size());
    for (int position = 0; position < count; ++position)
        newPaths.push_back(
            ComposeBatchName(fileNames[static_cast<std::size_t>(position)], position, options));
    const std::unique_ptr<RunJournal> journal =
        journalDirectory ? StartJournal(*journalDirectory, fileNames, newPaths, options) : nullptr;
    // The position is left alone: the gauge keeps the previous run's value, lowered into
    // the new range, until the first file is done.
    outlets.SetGaugeRange(0, count - 1);
    for (int position = 0; position < count; ++position) {
        std::string& newPath = newPaths[static_cast<std::size_t>(position)];
        if (!ApplyOptionsToFile(fileNames, position, std::move(newPath), options, outlets)) {
            if (journal)
                journal->Finish("stopped");
            return;
        }
        if (journal)
            journal->ChangeDone(position);
        outlets.SetGaugePosition(position);
    }
    if (journal) {
        journal->Finish("finished");
        PruneJournals(*journalDirectory);
    }
}

void ChangeOne(std::vector<std::string>& fileNames, int position, const RenameOptions& options,
               RenameOutlets& outlets, const std::string* journalDirectory) {
    if (!CheckFilesListed(fileNames, outlets))
        return;
    if (position < 0 || static_cast<std::size_t>(position) >= fileNames.size())
        return;
    if (!CheckNameFields(options, outlets))
        return;
    const auto at = static_cast<std::size_t>(position);
    std::string newPath = ComposeSingleName(fileNames[at], options);
    const std::unique_ptr<RunJournal> journal =
        journalDirectory ? StartJournal(*journalDirectory, std::span(fileNames).subspan(at, 1),
                                        std::span(&newPath, 1), options)
                         : nullptr;
    const bool done = ApplyOptionsToFile(fileNames, position, std::move(newPath), options, outlets);
    if (journal) {
        if (done)
            journal->ChangeDone(0);
        journal->Finish(done ? "finished" : "stopped");
        PruneJournals(*journalDirectory);
    }
}

} // namespace

bool CheckFilesListed(const std::vector<std::string>& fileNames, RenameOutlets& outlets) {
    if (!fileNames.empty())
        return true;
    outlets.ShowError(kNoFilesListedText);
    return false;
}

void RunRenameJob(std::vector<std::string>& fileNames, const RenameOptions& options,
                  RenameOutlets& outlets) {
    RunBatch(fileNames, options, outlets, nullptr);
}

void ChangeSingleFile(std::vector<std::string>& fileNames, int position,
                      const RenameOptions& options, RenameOutlets& outlets) {
    ChangeOne(fileNames, position, options, outlets, nullptr);
}

void RunJournaledRenameJob(std::vector<std::string>& fileNames, const RenameOptions& options,
                           RenameOutlets& outlets, const std::string& journalDirectory) {
    RunBatch(fileNames, options, outlets, &journalDirectory);
}

void ChangeJournaledSingleFile(std::vector<std::string>& fileNames, int position,
                               const RenameOptions& options, RenameOutlets& outlets,
                               const std::string& journalDirectory) {
    ChangeOne(fileNames, position, options, outlets, &journalDirectory);
}

} // namespace tarvolin
