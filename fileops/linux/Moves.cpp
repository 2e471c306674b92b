#include "Moves.h"

#include "DirectoryListing.h"
#include "FileAccess.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {

namespace {

bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The parents are followed (stat): "/link/b" and "/a/b" share an entry when link leads to /a.
bool SameParent(const std::string& oldPath, const std::string& newPath) {
    struct stat oldParent {};
    struct stat newParent {};
    return stat(ParentDirectory(oldPath).c_str(), &oldParent) == 0 &&
           stat(ParentDirectory(newPath).c_str(), &newParent) == 0 &&
           SameInode(oldParent, newParent);
}

bool IsSameDirectoryEntry(const std::string& oldPath, const std::string& newPath) {
    return LastComponent(oldPath) == LastComponent(newPath) && SameParent(oldPath, newPath);
}

// Where the directory lists every name in lower case, the old name's own entry shows under
// the lower-cased old name, which is then no entry of its own.
bool ListedAsOldEntry(const std::string& oldPath, const std::string& newPath) {
    const std::string directory = ParentDirectory(oldPath);
    const std::string oldName = LastComponent(oldPath);
    return SameParent(oldPath, newPath) &&
           HowDirectoryLists(directory, oldName) == ListedAs::LowerCase &&
           AsciiLowerCase(oldName) == LastComponent(newPath);
}

// A file with one link has one entry, so a second spelling that finds it can only be a
// letter-case alias. With more links (hard links, or on NTFS a DOS short name, which counts
// as one), the exact new name is listed only when it is an entry of its own, a hard link, or
// when the listing lowers every name.
bool IsLetterCaseAlias(const std::string& oldPath, const std::string& newPath,
                       const struct stat& file) {
    return file.st_nlink == 1 ||
           !DirectoryLists(ParentDirectory(newPath), LastComponent(newPath)) ||
           ListedAsOldEntry(oldPath, newPath);
}

// Some FUSE servers (exfat-fuse, fusefat) number each spelling of a name on its own, so a
// letter-case alias of the old name shows another inode. The directory tells: it lists the
// old name, and no entry spelled exactly as the new one. Pinned by
// OnEveryVolume.ChangesOnlyTheLetterCase on exfat-fuse and fusefat.
bool IsAliasByListing(const std::string& oldPath, const std::string& newPath) {
    const std::string oldName = LastComponent(oldPath);
    const std::string newName = LastComponent(newPath);
    return oldName != newName && AsciiLowerCase(oldName) == AsciiLowerCase(newName) &&
           SameParent(oldPath, newPath) && DirectoryLists(ParentDirectory(oldPath), oldName) &&
           !DirectoryLists(ParentDirectory(newPath), newName);
}

} // namespace

TakenBy WhatTakesName(const std::string& oldPath, const std::string& newPath) {
    struct stat oldFile {};
    struct stat newFile {};
    if (lstat(oldPath.c_str(), &oldFile) != 0 || lstat(newPath.c_str(), &newFile) != 0)
        return TakenBy::OtherEntry;
    if (!SameInode(oldFile, newFile))
        return IsAliasByListing(oldPath, newPath) ? TakenBy::LetterCaseAlias : TakenBy::OtherEntry;
    if (IsSameDirectoryEntry(oldPath, newPath))
        return TakenBy::SameEntry;
    return IsLetterCaseAlias(oldPath, newPath, newFile) ? TakenBy::LetterCaseAlias
                                                        : TakenBy::OtherEntry;
}

namespace {

struct Reservation {
    dev_t device = 0;
    ino_t inode = 0;
};

// The reservation has the kind of the entry that will replace it: rename puts a file only
// onto a file and a directory only onto an empty directory. Its path is announced first, so
// that a journal holds it before anything is made there.
std::optional<Reservation> Reserve(const std::string& to, bool directory, MoveWatch& watch) {
    watch.ReservationStarting(to);
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

MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to, MoveWatch& watch,
                                 HeldFolders& held) {
    FolderRelativeName source{};
    FolderRelativeName target{};
    held.RelativeToOneFolder(from, to, source, target);
    if (renameat2(source.folder, source.name, target.folder, target.name, RENAME_NOREPLACE) == 0)
        return MoveOutcome::Moved;
    if (errno == EEXIST)
        return MoveOutcome::TargetExists;
    if (errno == EINVAL || errno == ENOSYS)
        return MoveOntoReservation(from, to, watch);
    return MoveOutcome::Refused;
}

MoveOutcome MoveOntoReservation(const std::string& from, const std::string& to, MoveWatch& watch) {
    struct stat source {};
    if (lstat(from.c_str(), &source) != 0)
        return MoveOutcome::Refused;
    const bool directory = S_ISDIR(source.st_mode);
    const std::optional<Reservation> reservation = Reserve(to, directory, watch);
    if (!reservation) {
        const int error = errno;
        watch.ReservationDropped(to);
        return error == EEXIST ? MoveOutcome::TargetExists : MoveOutcome::Refused;
    }
    watch.Reached(Step::NameReserved);
    if (rename(from.c_str(), to.c_str()) == 0) {
        if (!directory && LastComponent(to).size() > kLongestNameWithoutStray)
            RemoveStrayReservation(to, *reservation);
        return MoveOutcome::Moved;
    }
    const int error = errno;
    ReleaseReservation(to, *reservation, directory);
    watch.ReservationDropped(to);
    errno = error;
    return MoveOutcome::Refused;
}

} // namespace tarvolin
