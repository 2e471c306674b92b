#include "SameFileRename.h"

#include "CaseChangeNotice.h"
#include "DirectoryListing.h"
#include "NoReplaceMove.h"
#include "PathParts.h"
#include "StepHook.h"

#include <cerrno>
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

bool MoveToTemporaryName(const std::string& oldPath, const std::string& newPath,
                         std::string& temporary) {
    constexpr int kAttempts = 100; // names left over by someone else are skipped
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        temporary = ParentDirectory(newPath) + "/" +
                    CaseChangeTemporaryName(LastComponent(newPath), getpid());
        AnnounceCaseChange(oldPath, temporary, newPath);
        const MoveOutcome outcome = MoveWithoutReplacing(oldPath, temporary);
        if (outcome != MoveOutcome::TargetExists)
            return outcome == MoveOutcome::Moved;
    }
    return false;
}

// What is left to check where the listing lowers every name.
bool FoundOnlyUnderNewName(const std::string& newPath, const std::string& temporary,
                           const struct stat& file) {
    struct stat found {};
    struct stat left {};
    return lstat(newPath.c_str(), &found) == 0 && SameInode(found, file) &&
           lstat(temporary.c_str(), &left) != 0 && errno == ENOENT;
}

} // namespace

bool ChangeLetterCase(const std::string& oldPath, const std::string& newPath,
                      std::string* strandedAt) {
    struct stat file {};
    std::string temporary;
    if (lstat(oldPath.c_str(), &file) != 0 || !MoveToTemporaryName(oldPath, newPath, temporary))
        return false;
    ReachStep(Step::MovedToCaseTemporary);
    const ListedAs listing =
        HowDirectoryLists(ParentDirectory(temporary), LastComponent(temporary));
    if (MoveWithoutReplacing(temporary, newPath) != MoveOutcome::Moved) {
        if (MoveWithoutReplacing(temporary, oldPath) != MoveOutcome::Moved && strandedAt)
            *strandedAt = temporary;
        return false;
    }
    const bool done = listing == ListedAs::LowerCase
                          ? FoundOnlyUnderNewName(newPath, temporary, file)
                          : DirectoryLists(ParentDirectory(newPath), LastComponent(newPath));
    if (done)
        AnnounceCaseChangeFinished(newPath);
    return done;
}

namespace {

// Another file, or another link of this one, holds the new name; the looks that told so
// leave errno to say it.
bool NameTaken() {
    errno = EEXIST;
    return false;
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

bool RenameOntoOwnEntry(const std::string& oldPath, const std::string& newPath,
                        std::string* strandedAt) {
    struct stat oldFile {};
    struct stat newFile {};
    if (lstat(oldPath.c_str(), &oldFile) != 0 || lstat(newPath.c_str(), &newFile) != 0)
        return false;
    if (!SameInode(oldFile, newFile)) {
        if (IsAliasByListing(oldPath, newPath))
            return ChangeLetterCase(oldPath, newPath, strandedAt);
        return NameTaken();
    }
    if (IsSameDirectoryEntry(oldPath, newPath))
        return true;
    if (IsLetterCaseAlias(oldPath, newPath, newFile))
        return ChangeLetterCase(oldPath, newPath, strandedAt);
    return NameTaken();
}

} // namespace tarvolin
