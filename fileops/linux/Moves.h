#pragma once

// What a rename means when the new name is already taken by the file itself: the very same
// directory entry spelled another way ("/a/./b" for "/a/b"), the same entry in another letter
// case on a case-insensitive volume, or a hard link, which is another entry of the file.

#include <string>

namespace tarvolin {

// Called once the no-replace move found `newPath` taken. True where the taken name is
// `oldPath`'s own entry: unchanged for the same spelling, re-cased for a case alias. A hard
// link or any other file is refused, as a rename that changed nothing must not succeed.
// `strandedAt`, when given, learns the temporary name a failed change of letter case left the
// file under (see ChangeLetterCase); it is left alone otherwise.
bool RenameOntoOwnEntry(const std::string& oldPath, const std::string& newPath,
                        std::string* strandedAt = nullptr);

// Gives the entry at `oldPath` the name `newPath`, which finds the same entry, by way of a
// unique temporary name in the same directory: a case-insensitive volume treats a direct
// rename between the two spellings as a rename onto itself and keeps the old case. True
// when the directory then lists the exact new name; where the directory lists every name in
// lower case (as the temporary name shows), when the new name finds the file and the
// temporary name is gone, as that is all such a listing can tell. When another program takes
// the name while the file is away, neither spelling can have the file back: it stays under
// the temporary name, which `strandedAt` (when given) then holds.
bool ChangeLetterCase(const std::string& oldPath, const std::string& newPath,
                      std::string* strandedAt = nullptr);

// Moving a directory entry to a new name without ever replacing an entry that is already
// there, on every kind of volume Linux mounts.

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
