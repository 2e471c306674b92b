#pragma once

// Putting one file of a journal back as it was before its run.

#include "FileOps.h"
#include "JournalRecords.h"

#include <functional>
#include <optional>
#include <string>

namespace tarvolin {

// True when exactly the file `change` recorded answers at `path` (FileMatch.h).
bool HoldsFileOf(FileLayer& files, const std::string& path, const JournalChange& change);

// The same for the temporary name a change of letter case journaled for it.
bool HoldsFileOfAtTemporaryName(FileLayer& files, const std::string& temporaryPath,
                                const JournalChange& change);

// Where the file of `change` is now: under `temporaryPath` (when given), its new name or its
// old name, in that order; no value when it is in none of them.
std::optional<std::string> FindFileOf(FileLayer& files, const JournalChange& change,
                                      const std::string* temporaryPath);

struct RestoreResult {
    bool touched = false; // false: the run had not reached this file
    std::string failure;  // why the file was left as it is; empty when restored
    std::string note;     // restored, but a part stays as someone left it after the run
};

// Called once the file is back under its old name and before its attributes and times go
// back, with what it then shows.
using NameBackListener = std::function<void(const FileFingerprint&)>;

// Through `files`, moves the file back to its old name, never over another file, then puts back the
// times and attributes the change recorded. A file already back under its old name by an undo that
// was cut short (`change.nameBack`) gets its attributes and times.
RestoreResult RestoreChange(FileLayer& files, const JournalChange& change,
                            const std::string* temporaryPath,
                            const NameBackListener& nameBack = {});

} // namespace tarvolin
