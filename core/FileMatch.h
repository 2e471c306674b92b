#pragma once

// The rule by which undo and recovery tell that the file they find is the one a journal
// recorded, and not one that came since: a reused file number, or the same volume back under
// another device number.

#include "FileOps.h"

#include <optional>

namespace tarvolin {

struct RecordedFile {
    FileIdentity identity;
    std::optional<FileFingerprint> seen; // before the run; none in a format 1 journal
    std::optional<FileFingerprint> left; // after the last step taken on it, where recorded
    bool done = false;                   // the journal marked it done
};

// The same volume (its own identity where both sides have one, else the device number, else
// only with a fingerprint no other file can show), the same file number where numbers last,
// and a fingerprint that holds: the birth time where both sides know it, else the change time
// (with size and modification time) the last step left, else (for a file not marked done) the size
// and modification time the plan expected.
bool IsSameFile(const RecordedFile& recorded, const FileStamp& found);

} // namespace tarvolin
