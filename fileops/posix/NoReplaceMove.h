#pragma once

// Moving a directory entry to a new name without ever replacing an entry that is already
// there, on every kind of volume Linux mounts.

#include <string>

namespace tarvolin {

enum class MoveOutcome {
    Moved,
    TargetExists, // `to` names an entry (perhaps `from`'s own); nothing was changed
    Refused,      // any other failure; nothing was changed
};

// renameat2 with RENAME_NOREPLACE, where the kernel decides atomically. Volumes whose rename
// takes no flags (NFS, FUSE servers such as ntfs-3g, exfat-fuse, fusefat) answer EINVAL, and
// old kernels ENOSYS; those go on to MoveOntoReservation. Pinned by
// OnEveryVolume.OtherProgramsFilesSurviveAMove, which notes which volumes reach the reservation.
MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to);

// Takes the new name first with an exclusive create (an empty file, or an empty directory
// for a directory), which fails atomically where the name is taken, and then renames onto
// that reservation, which only this program made. The old name is never unlinked, so another
// program's file saved under it in the meantime moves along instead of being deleted, and a
// crash leaves at worst the empty reservation beside the untouched file.
MoveOutcome MoveOntoReservation(const std::string& from, const std::string& to);

} // namespace tarvolin
