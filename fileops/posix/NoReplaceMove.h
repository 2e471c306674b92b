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
// takes no flags (NFS, FUSE servers without RENAME2 such as ntfs-3g) answer EINVAL, and old
// kernels ENOSYS; those go on to MoveByLinking.
MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to);

// link() refuses an existing target just as atomically; only both names exist for a moment.
// Where hard links are refused (directories, FAT, some FUSE servers) it goes on to
// MoveAfterChecking.
MoveOutcome MoveByLinking(const std::string& from, const std::string& to);

// The last resort: look, then rename. Not atomic (see the definition).
MoveOutcome MoveAfterChecking(const std::string& from, const std::string& to);

} // namespace tarvolin
