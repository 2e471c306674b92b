#include "NoReplaceMove.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {

namespace {

bool HardLinksRefused(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == EMLINK;
}

} // namespace

MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return MoveOutcome::Moved;
    if (errno == EEXIST)
        return MoveOutcome::TargetExists;
    if (errno == EINVAL || errno == ENOSYS)
        return MoveByLinking(from, to);
    return MoveOutcome::Refused;
}

MoveOutcome MoveByLinking(const std::string& from, const std::string& to) {
    if (link(from.c_str(), to.c_str()) == 0) {
        if (unlink(from.c_str()) == 0)
            return MoveOutcome::Moved;
        // The new name is the link made just above, so removing it loses nothing.
        unlink(to.c_str());
        return MoveOutcome::Refused;
    }
    if (errno == EEXIST)
        return MoveOutcome::TargetExists;
    if (HardLinksRefused(errno))
        return MoveAfterChecking(from, to);
    return MoveOutcome::Refused;
}

MoveOutcome MoveAfterChecking(const std::string& from, const std::string& to) {
    struct stat existing {};
    if (lstat(to.c_str(), &existing) == 0)
        return MoveOutcome::TargetExists;
    if (errno != ENOENT)
        return MoveOutcome::Refused;
    // Race window: another process may create `to` between the lstat above and this rename,
    // which would then replace it. A volume that offers neither RENAME_NOREPLACE nor hard
    // links gives no way to close it; the window is a few microseconds wide.
    return rename(from.c_str(), to.c_str()) == 0 ? MoveOutcome::Moved : MoveOutcome::Refused;
}

} // namespace tarvolin
