// The Linux backend of FileOps.h. What Windows keeps per file and Unix does not (attribute
// bits, creation time) is read and written through the volume's DosMetadataStore.
//
// Three choices made on purpose:
// - A time outside what an MS-DOS date-time can hold fails rather than reporting a success
//   that wrote nothing, so the user learns the time was not set.
// - Local and UTC time convert with the offset in force at the date itself, not today's, so
//   a summer time written or read in winter shows the wall-clock time it had.
// - The times are looked up at exactly the given path, never as a search pattern.
#include "CaseTwins.h"
#include "DosDateTime.h"
#include "FileFacts.h"
#include "FileOps.h"
#include "Guarded.h"
#include "NoReplaceMove.h"
#include "OpenFile.h"
#include "PathParts.h"
#include "SameFileRename.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {

namespace {

// A refusal of the program's own, with the system's code that says why.
bool RefuseFor(int error) {
    errno = error;
    return false;
}

// A time write and how to tell, from a fresh reading of the file, that the volume holds it.
struct TimeWrite {
    bool (*write)(const FileRef& file, const struct statx& st, const UnixTime& utc);
    UnixTime (*readBack)(const FileFacts& facts);
};

const TimeWrite kCreationTimeWrite{
    [](const FileRef& file, const struct statx& st, const UnixTime& utc) {
        return StoreFor(file, st).WriteCreationTime(file, st, utc);
    },
    [](const FileFacts& facts) { return facts.dos.creationTime; }};

// ntfs-3g drops a modification time set by utimensat once a creation time was set in the same
// mount, so the volume's store decides how the times are written (pinned by
// NtfsTimes.BothSurviveTheUnmountInEitherOrder).
const TimeWrite kModifyTimeWrite{
    [](const FileRef& file, const struct statx& st, const UnixTime& utc) {
        return StoreFor(file, st).WriteAccessAndModifyTime(file, st, utc, utc);
    },
    [](const FileFacts& facts) { return ToUnixTime(facts.stat.stx_mtime); }};

// The file stays open from the first reading to the write, so both concern one file. The
// read-only attribute does not stand in the way, as on Windows (pinned by
// ReadOnlyFile.OwnerWritesItsTimeAndItStaysReadOnly). What the volume holds afterwards is read
// back: an ext4 with small inodes keeps 2100 as 2038 and says yes (pinned by
// OnEveryVolume.ATimeTheVolumeCannotHoldFails).
bool WriteFileTime(const std::string& path, const LocalDateTime& date, const LocalDateTime& time,
                   const TimeWrite& how) {
    const OpenFile opened(path);
    if (opened.fd() < 0)
        return false;
    const FileRef file{path, opened.fd()};
    const std::optional<FileFacts> facts = ReadFileFacts(file);
    if (!facts)
        return false;
    const std::optional<LocalDateTime> local = AtDosPrecision(date, time);
    const std::optional<UnixTime> utc = local ? LocalToUtc(*local) : std::nullopt;
    if (!utc)
        return RefuseFor(ERANGE);
    if (!how.write(file, facts->stat, *utc))
        return false;
    const std::optional<FileFacts> after = ReadFileFacts(file);
    if (!after)
        return false;
    // A time the volume cannot hold is out of its range, whatever it answered.
    return how.readBack(*after) == *utc || RefuseFor(ERANGE);
}

// Remembered per directory for the life of the program: asking costs a statx per rename,
// a third of a batch run's time, and a folder seldom moves to another volume while listed.
bool WindowsFoldsNamesIn(const std::string& directory) {
    constexpr std::size_t kDirectoriesRemembered = 64;
    static std::map<std::string, bool> answers;
    if (const auto known = answers.find(directory); known != answers.end())
        return known->second;
    const FileRef folder{directory};
    const std::optional<struct statx> st = StatFile(folder);
    if (!st)
        return false;
    if (answers.size() >= kDirectoriesRemembered)
        answers.clear();
    return answers[directory] = StoreFor(folder, *st).WindowsFoldsNames();
}

// Attributes go to regular files and directories only, never through a symbolic link to
// what it points at.
bool TakesAttributes(const struct statx& entry) {
    return S_ISREG(entry.stx_mode) || S_ISDIR(entry.stx_mode);
}

} // namespace

PathSyntax NativePathSyntax() {
    return PathSyntax::Posix;
}

bool RenameOnDisk(const std::string& oldPath, const std::string& newPath) {
    std::string fileNowAt;
    return RenameOnDisk(oldPath, newPath, fileNowAt);
}

bool RenameOnDisk(const std::string& oldPath, const std::string& newPath, std::string& fileNowAt) {
    fileNowAt = oldPath;
    return Guarded(false, [&]() -> bool {
        if (oldPath == newPath) {
            // Nothing to move, but a vanished file must not look renamed.
            struct stat entry {};
            return lstat(oldPath.c_str(), &entry) == 0;
        }
        const std::string directory = ParentDirectory(newPath);
        const bool folds = WindowsFoldsNamesIn(directory);
        const std::string ownName =
            ParentDirectory(oldPath) == directory ? LastComponent(oldPath) : std::string();
        if (folds && HasCaseTwin(directory, LastComponent(newPath), ownName))
            return RefuseFor(EEXIST);
        bool moved = false;
        switch (MoveWithoutReplacing(oldPath, newPath)) {
        case MoveOutcome::Moved:
            moved = true;
            break;
        case MoveOutcome::TargetExists:
            moved = RenameOntoOwnEntry(oldPath, newPath, &fileNowAt);
            break;
        case MoveOutcome::Refused:
            break;
        }
        if (moved && folds)
            NoteOwnRename(oldPath, newPath);
        if (moved)
            fileNowAt = newPath;
        return moved;
    });
}

AttributeSet ReadAttributes(const std::string& path) {
    return Guarded(kUnreadableAttributes, [&]() -> AttributeSet {
        const std::optional<FileFacts> facts = ReadFileFacts(FileRef{path});
        return facts ? facts->dos.attributes : kUnreadableAttributes;
    });
}

bool ApplyAttributes(const std::string& path, AttributeSet wanted) {
    return Guarded(false, [&]() -> bool {
        if ((wanted & ~kFourAttributes) != 0)
            return RefuseFor(EINVAL);
        const FileRef file{path};
        const std::optional<struct statx> entry = StatEntry(file);
        if (!entry)
            return false;
        if (!TakesAttributes(*entry))
            return RefuseFor(EOPNOTSUPP);
        if (!StoreFor(file, *entry).WriteAttributes(file, *entry, wanted))
            return false;
        // Read back: a volume may accept a bit it does not keep.
        const std::optional<FileFacts> after = ReadFileFacts(file);
        if (!after)
            return false;
        return after->dos.attributes == wanted || RefuseFor(EOPNOTSUPP);
    });
}

std::optional<LocalDateTime> GetCreationTime(const std::string& path) {
    return Guarded(std::optional<LocalDateTime>{}, [&]() -> std::optional<LocalDateTime> {
        const std::optional<FileFacts> facts = ReadFileFacts(FileRef{path});
        return facts ? UtcToLocal(facts->dos.creationTime) : std::nullopt;
    });
}

std::optional<LocalDateTime> GetModifyTime(const std::string& path) {
    return Guarded(std::optional<LocalDateTime>{}, [&]() -> std::optional<LocalDateTime> {
        const std::optional<struct statx> st = StatFile(FileRef{path});
        return st ? UtcToLocal(ToUnixTime(st->stx_mtime)) : std::nullopt;
    });
}

bool SetCreationTime(const std::string& path, const LocalDateTime& date,
                     const LocalDateTime& time) {
    return Guarded(false,
                   [&]() -> bool { return WriteFileTime(path, date, time, kCreationTimeWrite); });
}

bool SetModifyTime(const std::string& path, const LocalDateTime& date, const LocalDateTime& time) {
    return Guarded(false,
                   [&]() -> bool { return WriteFileTime(path, date, time, kModifyTimeWrite); });
}

FileSummary ReadFileSummary(const std::string& path) {
    return Guarded(FileSummary{}, [&]() -> FileSummary {
        const std::optional<FileFacts> facts = ReadFileFacts(FileRef{path});
        if (!facts)
            return FileSummary{};
        return FileSummary{facts->dos.attributes, UtcToLocal(facts->dos.creationTime),
                           UtcToLocal(ToUnixTime(facts->stat.stx_mtime))};
    });
}

} // namespace tarvolin
