#pragma once

// What a rename means when the new name is already taken by the file itself: the very same
// directory entry spelled another way ("/a/./b" for "/a/b"), the same entry in another letter
// case on a case-insensitive volume, or a hard link, which is another entry of the file.

#include "Backend.h"
#include "HeldFolder.h"

#include <string>

namespace tarvolin {

// What `newPath` finds, once the no-replace move found it taken: `oldPath`'s own entry, the
// same spelled alike or in another letter case, or another entry (a hard link counts as one).
TakenBy WhatTakesName(const std::string& oldPath, const std::string& newPath);

// Moving a directory entry to a new name without ever replacing an entry that is already
// there, on every kind of volume Linux mounts.

// renameat2 with RENAME_NOREPLACE, where the kernel decides atomically. Volumes whose rename
// takes no flags (NFS, FUSE servers such as ntfs-3g, exfat-fuse, fusefat) answer EINVAL, and
// old kernels ENOSYS; those go on to MoveOntoReservation. Pinned by
// OnEveryVolume.OtherProgramsFilesSurviveAMove, which notes which volumes reach the reservation.
// Both names relative to their folder where `held` holds it.
MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to, MoveWatch& watch,
                                 HeldFolders& held);

// Takes the new name first with an exclusive create (an empty file, or an empty directory
// for a directory), which fails atomically where the name is taken, and then renames onto
// that reservation, which only this program made. The old name is never unlinked, so another
// program's file saved under it in the meantime moves along instead of being deleted, and a
// crash leaves at worst the empty reservation beside the untouched file.
MoveOutcome MoveOntoReservation(const std::string& from, const std::string& to, MoveWatch& watch);

} // namespace tarvolin
