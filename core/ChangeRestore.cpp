#include "ChangeRestore.h"

#include "FileMatch.h"
#include "FileOps.h"
#include "LetterCase.h"

namespace tarvolin {

namespace {

// Only the four bits a run changes go back; whatever else a volume shows stays its own.
bool ApplyAttributeSet(FileLayer& files, const std::string& path, AttributeSet attributes) {
    return files.ApplyAttributes(path, attributes & kFourAttributes);
}

bool RestoreTime(FileLayer& files, const std::optional<LocalDateTime>& recorded,
                 std::optional<LocalDateTime> (FileLayer::*read)(const std::string&),
                 bool (FileLayer::*write)(const std::string&, const LocalDateTime&,
                                          const LocalDateTime&),
                 const std::string& path) {
    return !recorded || (files.*read)(path) == recorded ||
           (files.*write)(path, *recorded, *recorded);
}

// Times first: their writers refuse a read-only file, and the recorded attributes may make
// it read-only again. Format 1: local times at the writers' precision.
bool RestoreFormat1Metadata(FileLayer& files, const JournalChange& change) {
    const std::string& path = change.oldPath;
    if (change.creationTime || change.modifyTime) {
        const AttributeSet now = files.ReadAttributes(path);
        if (now != kUnreadableAttributes && (now & kReadOnly) != 0 &&
            !ApplyAttributeSet(files, path, now & ~kReadOnly))
            return false;
    }
    if (!RestoreTime(files, change.creationTime, &FileLayer::GetCreationTime,
                     &FileLayer::SetCreationTime, path) ||
        !RestoreTime(files, change.modifyTime, &FileLayer::GetModifyTime, &FileLayer::SetModifyTime,
                     path))
        return false;
    return !change.attributes ||
           (files.ReadAttributes(path) & kFourAttributes) ==
               (*change.attributes & kFourAttributes) ||
           ApplyAttributeSet(files, path, *change.attributes);
}

// What the run left of the times, as far as the journal knows it.
ExactMetadata RunLeft(const JournalChange& change) {
    ExactMetadata runLeft;
    if (change.left) {
        runLeft.modify = change.left->modify;
        runLeft.creation = change.left->created;
    }
    return runLeft;
}

RestoreResult RestoreMetadata(FileLayer& files, const JournalChange& change) {
    if (!change.before)
        return {true,
                RestoreFormat1Metadata(files, change)
                    ? std::string()
                    : "its attributes or times could not be put back",
                {}};
    const MetadataRestore restore =
        files.RestoreExactMetadata(change.oldPath, *change.before, RunLeft(change));
    RestoreResult result{true, {}, {}};
    if (!restore.ok)
        result.failure = "its attributes or times could not be put back";
    else if (restore.modifyKept || restore.creationKept)
        result.note =
            std::string(restore.modifyKept ? "its modification time" : "its creation time") +
            " was changed after the run and is kept";
    return result;
}

// The file at the new name may be the run's own, changed since on a volume that keeps no
// birth time: its number then matches, and undo cannot tell it from a newcomer that got it.
std::string WhyNotFound(FileLayer& files, const JournalChange& change) {
    const std::optional<FileIdentity> there = files.ReadFileIdentity(change.newPath);
    if (!there)
        return "it is no longer where the run left it";
    const bool sameNumber = change.identity && there->volume == change.identity->volume &&
                            there->file == change.identity->file;
    return sameNumber ? "a file changed since the run has its name; it may be another file"
                      : "another file now has its name";
}

} // namespace

namespace {

// A case-insensitive volume finds a file under either spelling of a name that changes its
// letter case only; its folder's listing tells which spelling the file has.
bool StillUnderItsOldSpelling(FileLayer& files, const JournalChange& change) {
    if (!DiffersInLetterCaseOnly(change.oldPath, change.newPath))
        return false;
    const std::string both[] = {change.oldPath, change.newPath};
    const std::vector<bool> listed = files.ListedAsSpelled(both);
    return listed[0] && !listed[1];
}

} // namespace

bool HoldsFileOf(FileLayer& files, const std::string& path, const JournalChange& change) {
    if (!change.identity)
        return false;
    const std::optional<FileStamp> found = files.ReadFileStamp(path);
    return found &&
           IsSameFile(RecordedFile{*change.identity, change.seen, change.left, change.done},
                      *found);
}

// The temporary name is the program's own, journaled before the file went there: on a volume
// whose numbers and times a rename does not keep (FUSE drivers for FAT), a file of the same
// size there, on the same mount, is the run's.
bool HoldsFileOfAtTemporaryName(FileLayer& files, const std::string& temporaryPath,
                                const JournalChange& change) {
    if (HoldsFileOf(files, temporaryPath, change))
        return true;
    const std::optional<FileStamp> found = files.ReadFileStamp(temporaryPath);
    return found && change.identity && change.seen && !found->identity.numbersLast &&
           found->identity.volume == change.identity->volume &&
           found->fingerprint.size == change.seen->size;
}

std::optional<std::string> FindFileOf(FileLayer& files, const JournalChange& change,
                                      const std::string* temporaryPath) {
    if (temporaryPath != nullptr && HoldsFileOfAtTemporaryName(files, *temporaryPath, change))
        return *temporaryPath;
    if (HoldsFileOf(files, change.newPath, change))
        return StillUnderItsOldSpelling(files, change) ? change.oldPath : change.newPath;
    if (HoldsFileOf(files, change.oldPath, change))
        return change.oldPath;
    return std::nullopt;
}

RestoreResult RestoreChange(FileLayer& files, const JournalChange& change,
                            const std::string* temporaryPath, const NameBackListener& nameBack) {
    const std::optional<std::string> from = FindFileOf(files, change, temporaryPath);
    if (!from)
        return {true, WhyNotFound(files, change), {}};
    // Under its old name, and the run renamed it: the run never reached it, or an undo cut
    // short put the name back and not yet the rest.
    if (*from == change.oldPath && change.oldPath != change.newPath)
        return change.nameBack ? RestoreMetadata(files, change) : RestoreResult{};
    if (*from != change.oldPath && !files.RenameOnDisk(*from, change.oldPath))
        return {true,
                files.ReadFileIdentity(change.oldPath) ? "another file has taken its old name"
                                                       : "it could not be renamed back",
                {}};
    const bool metadataToCome =
        change.before || change.attributes || change.creationTime || change.modifyTime;
    if (metadataToCome && nameBack)
        if (const std::optional<FileStamp> back = files.ReadFileStamp(change.oldPath)) {
            FileFingerprint shows = back->fingerprint;
            shows.created = change.left ? change.left->created : std::nullopt;
            nameBack(shows);
        }
    return metadataToCome ? RestoreMetadata(files, change) : RestoreResult{true, {}, {}};
}

} // namespace tarvolin
