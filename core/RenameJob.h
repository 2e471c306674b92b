#pragma once

#include "RenameOptions.h"
#include "RenameOutlets.h"

#include <string>
#include <vector>

namespace tarvolin {

inline constexpr const char* kNoFilesListedText = "Did not specify the modification's document!";
inline constexpr const char* kRenameErrorText = "Rename Error!";
inline constexpr const char* kAttributesErrorText = "Change file property Error!";
inline constexpr const char* kCreateTimeErrorText = "Set file Create Time Error!";
inline constexpr const char* kModifyTimeErrorText = "Set file Modify Time Error!";

// True when at least one file is listed; otherwise shows the error box and gives false.
bool CheckFilesListed(const std::vector<std::string>& fileNames, RenameOutlets& outlets);

// The detail below a failed step's box text: the file's path (and for a rename "to " and the
// new path, on a line of its own), then the system's reason on the next line, when it gave
// one.
std::string FailureDetail(const std::string& file, const std::string& reason);

// Renames every listed file by the numbered rule, then applies the attributes and times the
// options ask for. A new name that another listed file holds and leaves is no clash: the files
// are taken in the order that frees names first, a cycle through a temporary name
// (RenameOrder.h), and each ends under the name its list position gives. Stops at the first
// failure with one error box, whose detail (FailureDetail) says which file and why; whatever was
// done before stays done. The run reads `fileNames` once and never writes it: each file's new path
// reaches the caller through RowChanged as soon as its steps are done, and so does a temporary name
// the file had to stay under (the error box then names it); the caller's list follows from there. A
// name field that is no plain name (NameFieldCheck.h) is refused before any file is touched.
void RunRenameJob(const std::vector<std::string>& fileNames, const RenameOptions& options,
                  RenameOutlets& outlets);

// Applies the options to the one file at `position` by the unnumbered rule, with the same
// steps and error boxes as the batch run; the gauge is not touched.
void ChangeSingleFile(const std::vector<std::string>& fileNames, int position,
                      const RenameOptions& options, RenameOutlets& outlets);

// What became of a journaled run's journal.
enum class RunJournalState {
    Written,    // every step the run took is in it
    NotStarted, // none was written: the run did not start, or went on without one when asked
    Failed,     // a write failed during the run, which stopped before the next file
};

struct JournaledRunResult {
    RunJournalState journal = RunJournalState::Written;
    std::string reason;      // Failed: the system's words ("No space left on device")
    std::string journalPath; // the run's journal, when one was begun
};

// The text of the error box of a journal that failed: `nextPath` is the file the run stopped
// before, empty when it failed at the run's end.
std::string JournalFailureText(const std::string& reason, const std::string& nextPath);

// The same two, written first to a new journal in `journalDirectory` (RunJournal.h), so that
// the run can be undone, also after the program or the machine stopped in the middle. Where
// no journal can be written, `outlets` is asked, before any file is touched, whether to run
// without one. When a journal write fails during the run, the run stops before the next
// file with one error box (JournalFailureText).
JournaledRunResult RunJournaledRenameJob(const std::vector<std::string>& fileNames,
                                         const RenameOptions& options, RenameOutlets& outlets,
                                         const std::string& journalDirectory);
JournaledRunResult ChangeJournaledSingleFile(const std::vector<std::string>& fileNames,
                                             int position, const RenameOptions& options,
                                             RenameOutlets& outlets,
                                             const std::string& journalDirectory);

} // namespace tarvolin
