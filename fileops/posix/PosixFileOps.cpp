// The Linux backend of FileOps.h. What Windows keeps per file and Unix does not (attribute
// bits, creation time) is read and written through the volume's DosMetadataStore.
//
// Three choices made on purpose:
// - A time outside what an MS-DOS date-time can hold fails rather than reporting a success
//   that wrote nothing, so the user learns the time was not set.
// - Local and UTC time convert with the offset in force at the date itself, not today's, so
//   a summer time written or read in winter shows the wall-clock time it had.
// - The times are looked up at exactly the given path, never as a search pattern.
#include "DosDateTime.h"
#include "FileFacts.h"
#include "FileOps.h"
#include "Guarded.h"
#include "NoReplaceMove.h"
#include "SameFileRename.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {

namespace {

class OpenFile {
public:
    // O_NONBLOCK keeps a FIFO from waiting for a partner; O_RDWR refuses directories, as
    // opening one for writing does on Windows.
    explicit OpenFile(const std::string& path)
        : fd_(open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)) {}
    ~OpenFile() {
        if (fd_ >= 0)
            close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int fd() const { return fd_; }

private:
    int fd_;
};

using TimeWrite = bool (*)(const FileRef& file, const struct statx& st, const UnixTime& utc);

bool WriteCreationTime(const FileRef& file, const struct statx& st, const UnixTime& utc) {
    return StoreFor(file, st).WriteCreationTime(file, st, utc);
}

// ntfs-3g drops a modification time set by utimensat once a creation time was set in the same
// mount, so the volume's store decides how the times are written.
bool WriteAccessAndModifyTime(const FileRef& file, const struct statx& st, const UnixTime& utc) {
    return StoreFor(file, st).WriteAccessAndModifyTime(file, st, utc);
}

// Going through the DOS date-time drops odd seconds and milliseconds; a year it cannot hold
// packs to 0, which names no date, and so fails here.
std::optional<UnixTime> DosPrecisionUtc(const LocalDateTime& date, const LocalDateTime& time) {
    const std::optional<LocalDateTime> local =
        FromDosDateTime(ToDosDateTime(CombineDateAndTime(date, time)));
    return local ? LocalToUtc(*local) : std::nullopt;
}

// The file stays open from the read-only check to the write, so both concern one file. Root
// may open a read-only file for writing, hence the explicit check.
bool WriteFileTime(const std::string& path, const LocalDateTime& date, const LocalDateTime& time,
                   TimeWrite write) {
    const OpenFile opened(path);
    if (opened.fd() < 0)
        return false;
    const FileRef file{path, opened.fd()};
    const std::optional<FileFacts> facts = ReadFileFacts(file);
    if (!facts || (facts->dos.attributes & kReadOnly) != 0)
        return false;
    const std::optional<UnixTime> utc = DosPrecisionUtc(date, time);
    return utc && write(file, facts->stat, *utc);
}

} // namespace

PathSyntax NativePathSyntax() {
    return PathSyntax::Posix;
}

bool RenameOnDisk(const std::string& oldPath, const std::string& newPath) {
    return Guarded(false, [&]() -> bool {
        if (oldPath == newPath) {
            // Nothing to move, but a vanished file must not look renamed.
            struct stat entry {};
            return lstat(oldPath.c_str(), &entry) == 0;
        }
        switch (MoveWithoutReplacing(oldPath, newPath)) {
        case MoveOutcome::Moved:
            return true;
        case MoveOutcome::TargetExists:
            return RenameOntoOwnEntry(oldPath, newPath);
        case MoveOutcome::Refused:
            return false;
        }
        return false;
    });
}

AttributeSet ReadAttributes(const std::string& path) {
    return Guarded(kUnreadableAttributes, [&]() -> AttributeSet {
        const std::optional<FileFacts> facts = ReadFileFacts(FileRef{path});
        return facts ? facts->dos.attributes : kUnreadableAttributes;
    });
}

bool ApplyAttributes(const std::string& path, bool readOnly, bool hidden, bool system,
                     bool archive) {
    return Guarded(false, [&]() -> bool {
        const FileRef file{path};
        const std::optional<struct statx> st = StatFile(file);
        return st && StoreFor(file, *st).WriteAttributes(
                         file, *st, MakeAttributeSet(readOnly, hidden, system, archive));
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
                   [&]() -> bool { return WriteFileTime(path, date, time, WriteCreationTime); });
}

bool SetModifyTime(const std::string& path, const LocalDateTime& date, const LocalDateTime& time) {
    return Guarded(
        false, [&]() -> bool { return WriteFileTime(path, date, time, WriteAccessAndModifyTime); });
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
