#include "ChangeRestore.h"

#include "FileOps.h"

namespace tarvolin {

namespace {

// Only the four bits a run changes go back; whatever else a volume shows stays its own.
bool ApplyAttributeSet(const std::string& path, AttributeSet attributes) {
    return ApplyAttributes(path, attributes & kFourAttributes);
}

bool RestoreTime(const std::optional<LocalDateTime>& recorded,
                 std::optional<LocalDateTime> (*read)(const std::string&),
                 bool (*write)(const std::string&, const LocalDateTime&, const LocalDateTime&),
                 const std::string& path) {
    return !recorded || read(path) == recorded || write(path, *recorded, *recorded);
}

// Times first: their writers refuse a read-only file, and the recorded attributes may make
// it read-only again.
bool RestoreMetadata(const JournalChange& change) {
    const std::string& path = change.oldPath;
    if (change.creationTime || change.modifyTime) {
        const AttributeSet now = ReadAttributes(path);
        if (now != kUnreadableAttributes && (now & kReadOnly) != 0 &&
            !ApplyAttributeSet(path, now & ~kReadOnly))
            return false;
    }
    if (!RestoreTime(change.creationTime, GetCreationTime, SetCreationTime, path) ||
        !RestoreTime(change.modifyTime, GetModifyTime, SetModifyTime, path))
        return false;
    return !change.attributes ||
           (ReadAttributes(path) & kFourAttributes) == (*change.attributes & kFourAttributes) ||
           ApplyAttributeSet(path, *change.attributes);
}

} // namespace

bool HoldsFileOf(const std::string& path, const JournalChange& change) {
    const std::optional<FileIdentity> found = ReadFileIdentity(path);
    return found && change.identity && *found == *change.identity;
}

std::optional<std::string> FindFileOf(const JournalChange& change,
                                      const std::string* temporaryPath) {
    if (temporaryPath != nullptr && HoldsFileOf(*temporaryPath, change))
        return *temporaryPath;
    if (HoldsFileOf(change.newPath, change))
        return change.newPath;
    if (HoldsFileOf(change.oldPath, change))
        return change.oldPath;
    return std::nullopt;
}

RestoreResult RestoreChange(const JournalChange& change, const std::string* temporaryPath) {
    const std::optional<std::string> from = FindFileOf(change, temporaryPath);
    if (!from)
        return {true, ReadFileIdentity(change.newPath) ? "another file now has its name"
                                                       : "it is no longer where the run left it"};
    // Under its old name, and the run renamed it: the run never reached it.
    if (*from == change.oldPath && change.oldPath != change.newPath)
        return {false, {}};
    if (*from != change.oldPath && !RenameOnDisk(*from, change.oldPath))
        return {true, ReadFileIdentity(change.oldPath) ? "another file has taken its old name"
                                                       : "it could not be renamed back"};
    if (!RestoreMetadata(change))
        return {true, "its attributes or times could not be put back"};
    return {true, {}};
}

} // namespace tarvolin
