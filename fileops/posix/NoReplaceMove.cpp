#include "NoReplaceMove.h"

#include "CaseChangeNotice.h"
#include "PathParts.h"
#include "StepHook.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {

namespace {

struct Reservation {
    dev_t device = 0;
    ino_t inode = 0;
};

// The reservation has the kind of the entry that will replace it: rename puts a file only
// onto a file and a directory only onto an empty directory. Its path is announced first, so
// that a journal holds it before anything is made there.
std::optional<Reservation> Reserve(const std::string& to, bool directory) {
    AnnounceReservation(to);
    struct stat made {};
    if (directory) {
        if (mkdir(to.c_str(), 0700) != 0 || lstat(to.c_str(), &made) != 0)
            return std::nullopt;
    } else {
        const int fd = open(to.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd < 0)
            return std::nullopt;
        const int result = fstat(fd, &made);
        close(fd);
        if (result != 0)
            return std::nullopt;
    }
    return Reservation{made.st_dev, made.st_ino};
}

// Only while the name still holds the reservation this program made.
void ReleaseReservation(const std::string& to, const Reservation& reservation, bool directory) {
    struct stat now {};
    if (lstat(to.c_str(), &now) == 0 && now.st_dev == reservation.device &&
        now.st_ino == reservation.inode)
        directory ? rmdir(to.c_str()) : unlink(to.c_str());
}

// ntfs-3g replaces an existing name by linking it to "<name>.ntfs-3g-<ten digits>" first;
// for a name that long NTFS cannot hold, the reservation stays behind under a cut-off name.
// It is still the empty file this program made, found by its inode number. Pinned by
// NtfsRename.NamesFromTheTableMoveWithTheirContent (its longest names).
constexpr std::size_t kLongestNameWithoutStray = 255 - 19;

void RemoveStrayReservation(const std::string& to, const Reservation& reservation) {
    const std::string directory = ParentDirectory(to);
    DIR* listing = opendir(directory.c_str());
    if (listing == nullptr)
        return;
    while (const dirent* entry = readdir(listing)) {
        if (entry->d_ino != reservation.inode)
            continue;
        const std::string stray = directory + "/" + entry->d_name;
        struct stat found {};
        if (stray != to && lstat(stray.c_str(), &found) == 0 && S_ISREG(found.st_mode) &&
            found.st_dev == reservation.device && found.st_ino == reservation.inode &&
            found.st_size == 0)
            unlink(stray.c_str());
    }
    closedir(listing);
}

} // namespace

MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return MoveOutcome::Moved;
    if (errno == EEXIST)
        return MoveOutcome::TargetExists;
    if (errno == EINVAL || errno == ENOSYS)
        return MoveOntoReservation(from, to);
    return MoveOutcome::Refused;
}

MoveOutcome MoveOntoReservation(const std::string& from, const std::string& to) {
    struct stat source {};
    if (lstat(from.c_str(), &source) != 0)
        return MoveOutcome::Refused;
    const bool directory = S_ISDIR(source.st_mode);
    const std::optional<Reservation> reservation = Reserve(to, directory);
    if (!reservation) {
        const int error = errno;
        AnnounceReservationDropped(to);
        return error == EEXIST ? MoveOutcome::TargetExists : MoveOutcome::Refused;
    }
    ReachStep(Step::NameReserved);
    if (rename(from.c_str(), to.c_str()) == 0) {
        if (!directory && LastComponent(to).size() > kLongestNameWithoutStray)
            RemoveStrayReservation(to, *reservation);
        return MoveOutcome::Moved;
    }
    const int error = errno;
    ReleaseReservation(to, *reservation, directory);
    AnnounceReservationDropped(to);
    errno = error;
    return MoveOutcome::Refused;
}

} // namespace tarvolin
