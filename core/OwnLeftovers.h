#pragma once

// What a run killed in the middle of a move leaves of its own: the empty file it had made at
// a name to rename onto (a reservation). Recovery removes it, whichever way the user answers.

#include "FileOps.h"
#include "JournalRecords.h"

namespace tarvolin {

// Removes every reservation of `contents` past its last done change that is still an empty
// regular file made since its record and where no file of the run may be. On a
// case-insensitive volume the reservation of a new name that differs only in letter case is
// the old name as well; it is the run's file's only where the file is not found elsewhere.
void RemoveOwnLeftovers(FileLayer& files, const JournalContents& contents);

} // namespace tarvolin
