#pragma once

// Putting one file of a journal back as it was before its run.

#include "JournalRecords.h"

#include <optional>
#include <string>

namespace tarvolin {

// True when exactly the file `change` recorded answers at `path`.
bool HoldsFileOf(const std::string& path, const JournalChange& change);

// Where the file of `change` is now: under `temporaryPath` (when given), its new name or its
// old name, in that order; no value when it is in none of them.
std::optional<std::string> FindFileOf(const JournalChange& change,
                                      const std::string* temporaryPath);

struct RestoreResult {
    bool touched = false; // false: the run had not reached this file
    std::string failure;  // why the file was left as it is; empty when restored
};

// Moves the file back to its old name, never over another file, then puts back the times
// and attributes the change recorded.
RestoreResult RestoreChange(const JournalChange& change, const std::string* temporaryPath);

} // namespace tarvolin
