#include "SameFileRename.h"

#include "NoReplaceMove.h"
#include "PathParts.h"

#include <atomic>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {

namespace {

bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The parents are followed (stat): "/link/b" and "/a/b" share an entry when link leads to /a.
bool IsSameDirectoryEntry(const std::string& oldPath, const std::string& newPath) {
    if (LastComponent(oldPath) != LastComponent(newPath))
        return false;
    struct stat oldParent {};
    struct stat newParent {};
    return stat(ParentDirectory(oldPath).c_str(), &oldParent) == 0 &&
           stat(ParentDirectory(newPath).c_str(), &newParent) == 0 &&
           SameInode(oldParent, newParent);
}

// A file with one link has one entry, so a second spelling that finds it can only be a
// letter-case alias. With more links, the exact new name is listed only when it is an entry
// of its own, a hard link.
bool IsLetterCaseAlias(const std::string& newPath, const struct stat& file) {
    return file.st_nlink == 1 || !DirectoryLists(ParentDirectory(newPath), LastComponent(newPath));
}

std::string TemporaryName(const std::string& directory) {
    static std::atomic<unsigned> counter{0};
    return directory + "/.tarvolin-case-" + std::to_string(getpid()) + "-" +
           std::to_string(counter++);
}

bool MoveToTemporaryName(const std::string& oldPath, std::string& temporary) {
    constexpr int kAttempts = 100; // names left over by someone else are skipped
    const std::string directory = ParentDirectory(oldPath);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        temporary = TemporaryName(directory);
        const MoveOutcome outcome = MoveWithoutReplacing(oldPath, temporary);
        if (outcome != MoveOutcome::TargetExists)
            return outcome == MoveOutcome::Moved;
    }
    return false;
}

} // namespace

bool DirectoryLists(const std::string& directory, const std::string& name) {
    DIR* listing = opendir(directory.c_str());
    if (listing == nullptr)
        return false;
    bool found = false;
    while (const dirent* entry = readdir(listing)) {
        if (name == entry->d_name) {
            found = true;
            break;
        }
    }
    closedir(listing);
    return found;
}

bool ChangeLetterCase(const std::string& oldPath, const std::string& newPath) {
    std::string temporary;
    if (!MoveToTemporaryName(oldPath, temporary))
        return false;
    if (MoveWithoutReplacing(temporary, newPath) != MoveOutcome::Moved) {
        MoveWithoutReplacing(temporary, oldPath);
        return false;
    }
    return DirectoryLists(ParentDirectory(newPath), LastComponent(newPath));
}

bool RenameOntoOwnEntry(const std::string& oldPath, const std::string& newPath) {
    struct stat oldFile {};
    struct stat newFile {};
    if (lstat(oldPath.c_str(), &oldFile) != 0 || lstat(newPath.c_str(), &newFile) != 0)
        return false;
    if (!SameInode(oldFile, newFile))
        return false;
    if (IsSameDirectoryEntry(oldPath, newPath))
        return true;
    if (IsLetterCaseAlias(newPath, newFile))
        return ChangeLetterCase(oldPath, newPath);
    return false;
}

} // namespace tarvolin
