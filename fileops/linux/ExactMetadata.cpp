// Attributes and times read and put back exactly, for undo: the times to the nanosecond and
// in any year (straight to the volume, not through the MS-DOS date-time of the time
// writers), the creation time with the knowledge whether the file had one of its own.
#include "ExactMetadata.h"

#include "FileAccess.h"
#include "VolumeStore.h"

#ifndef STATX_MNT_ID_UNIQUE
#define STATX_MNT_ID_UNIQUE 0x00004000U // Linux 6.8; older kernels ignore the request
#endif

namespace tarvolin {

namespace {

ExactTime Exact(const UnixTime& time) {
    return ExactTime{time.seconds, time.nanoseconds};
}

UnixTime Unix(const ExactTime& time) {
    return UnixTime{time.seconds, time.nanoseconds};
}

ExactMetadata MetadataOf(const FileFacts& facts) {
    ExactMetadata metadata;
    metadata.attributes = facts.dos.attributes;
    metadata.modify = Exact(ToUnixTime(facts.stat.stx_mtime));
    metadata.access = Exact(ToUnixTime(facts.stat.stx_atime));
    metadata.creation = Exact(facts.dos.creationTime);
    metadata.creationStored = facts.dos.creationStored;
    metadata.dosRecord = facts.dos.ownRecord;
    return metadata;
}

// Times and the record need write access, which a read-only file refuses its owner: that
// goes first and comes back with the attributes.
bool WriteTimesAndRecord(VolumeStores& stores, const std::string& path, const FileFacts& facts,
                         const ExactMetadata& before, const RestorePlan& plan) {
    const FileRef entry{path};
    const DosMetadataStore& store = stores.StoreFor(entry, facts.stat);
    if ((facts.dos.attributes & kReadOnly) != 0 &&
        !store.WriteAttributes(entry, facts.stat, facts.dos.attributes & ~kReadOnly))
        return false;
    if (plan.times || plan.creation) {
        const OpenFile opened(path);
        const FileRef file{path, opened.fd()};
        if (opened.fd() < 0)
            return false;
        // ntfs-3g writes the creation time along with the others, so it goes first.
        if (plan.creation && !store.WriteCreationTime(file, facts.stat, Unix(*before.creation)))
            return false;
        const ExactTime access = before.access.value_or(*before.modify);
        if (plan.times &&
            !store.WriteAccessAndModifyTime(file, facts.stat, Unix(access), Unix(*before.modify)))
            return false;
    }
    return (!plan.forgetCreation || store.ForgetCreationTime(entry)) &&
           (!plan.forgetRecord || store.ForgetRecord(entry));
}

// The attributes as they were, or as they are now where the run did not change them (a
// read-only file made writable above). A store may keep read-only in its record as well as in
// the mode; a file that had no record gets none back where the mode alone says as much.
bool WriteAttributes(VolumeStores& stores, const std::string& path, AttributeSet wanted,
                     bool forgetRecord) {
    const FileRef file{path};
    const std::optional<FileFacts> facts = stores.ReadFileFacts(file);
    if (!facts)
        return false;
    const DosMetadataStore& store = stores.StoreFor(file, facts->stat);
    if (facts->dos.attributes != wanted && !store.WriteAttributes(file, facts->stat, wanted))
        return false;
    const std::optional<FileFacts> after = stores.ReadFileFacts(file);
    if (!forgetRecord || !after || !after->dos.ownRecord || !store.ForgetRecord(file))
        return true;
    const std::optional<FileFacts> bare = stores.ReadFileFacts(file);
    return bare &&
           (bare->dos.attributes == wanted || store.WriteAttributes(file, bare->stat, wanted));
}

} // namespace

std::optional<ExactMetadata> ReadLinuxMetadata(VolumeStores& stores, const std::string& path,
                                               HeldFolders* held) {
    const std::optional<FileFacts> facts = stores.ReadFileFacts(FileRef{path, -1, held});
    return facts ? std::optional<ExactMetadata>(MetadataOf(*facts)) : std::nullopt;
}

// A list row is read when the file is listed and after every change: its statx gives the
// stamp as well, which a run then need not read again. The entry's own statx is the file's
// for anything but a symbolic link, whose summary is its target's, read apart.
MetadataAndStamp ReadLinuxMetadataAndStamp(VolumeStores& stores, FileStamps& stamps,
                                           const std::string& path, HeldFolders* held) {
    constexpr unsigned kWanted = STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID_UNIQUE;
    const FolderRelativeName entry =
        held != nullptr ? held->RelativeToFolder(path) : FolderRelativeName{AT_FDCWD, path.c_str()};
    struct statx st {};
    if (statx(entry.folder, entry.name, AT_SYMLINK_NOFOLLOW, kWanted, &st) != 0)
        return {};
    FileStamp stamp = stamps.StampOfEntry(entry.folder, entry.name, st);
    if (S_ISLNK(st.stx_mode))
        return {ReadLinuxMetadata(stores, path, held), stamp};
    const FileRef file{path, -1, held};
    return {MetadataOf(FileFacts{st, stores.StoreFor(file, st).Read(file, st)}), stamp};
}

bool PutBackMetadata(VolumeStores& stores, const std::string& path, const ExactMetadata& before,
                     const RestorePlan& plan, AttributeSet wanted) {
    const std::optional<FileFacts> facts = stores.ReadFileFacts(FileRef{path});
    return facts && WriteTimesAndRecord(stores, path, *facts, before, plan) &&
           WriteAttributes(stores, path, wanted, plan.forgetRecord);
}

} // namespace tarvolin
