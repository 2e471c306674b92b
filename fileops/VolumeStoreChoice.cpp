#include "DosAttribXattrStore.h"
#include "DosMetadataStore.h"
#include "Ntfs3gStore.h"

#include <cstdint>
#include <linux/magic.h>
#include <map>
#include <mutex>
#include <sys/vfs.h>

#ifndef STATX_MNT_ID_UNIQUE
#define STATX_MNT_ID_UNIQUE 0x00004000U
#endif

namespace tarvolin {

namespace {

using FileSystemType = decltype(statfs::f_type);

struct Choice {
    const DosMetadataStore* store;
    bool lasting; // holds for every file of the mount
};

// statfs tells only that a FUSE server runs the volume; whether it is ntfs-3g (or lowntfs-3g)
// shows in whether it knows ntfs-3g's attribute word. Every other type keeps its DOS side
// the generic way.
Choice ChoiceForFileSystem(const FileRef& file, FileSystemType type) {
    if (type != static_cast<FileSystemType>(FUSE_SUPER_MAGIC))
        return Choice{&DosAttribXattrStore(), true};
    switch (AskForNtfsAttributes(file)) {
    case Ntfs3gAnswer::Ntfs3g:
        return Choice{&Ntfs3gStore(), true};
    case Ntfs3gAnswer::OtherFuse:
        return Choice{&DosAttribXattrStore(), true};
    case Ntfs3gAnswer::NoAnswer:
        break;
    }
    return Choice{&DosAttribXattrStore(), false};
}

// A volume that could not be asked is not remembered, so that a later file asks again: a
// wrong lasting choice would put `user.DOSATTRIB` streams on every file of an NTFS volume.
Choice AskFileSystem(const FileRef& file) {
    struct statfs volume {};
    const int result =
        file.fd >= 0 ? fstatfs(file.fd, &volume) : statfs(file.path.c_str(), &volume);
    if (result != 0)
        return Choice{&DosAttribXattrStore(), false};
    return ChoiceForFileSystem(file, volume.f_type);
}

// A mount keeps its file system type, so one statfs per mount is enough; asking once per file
// would add a system call to every row of a large list. Only the unique mount id is trusted
// as a key: the older, reusable id and anonymous device numbers both come back for a
// different file system after an unmount.
std::optional<std::uint64_t> UniqueMountId(const struct statx& st) {
    if ((st.stx_mask & STATX_MNT_ID_UNIQUE) == 0)
        return std::nullopt;
    return st.stx_mnt_id;
}

} // namespace

const DosMetadataStore& StoreFor(const FileRef& file, const struct statx& st) {
    const std::optional<std::uint64_t> mountId = UniqueMountId(st);
    if (!mountId)
        return *AskFileSystem(file).store;
    static std::mutex guard;
    static std::map<std::uint64_t, const DosMetadataStore*> storeByMount;
    const std::lock_guard lock(guard);
    const auto known = storeByMount.find(*mountId);
    if (known != storeByMount.end())
        return *known->second;
    const Choice choice = AskFileSystem(file);
    if (choice.lasting)
        storeByMount.emplace(*mountId, choice.store);
    return *choice.store;
}

} // namespace tarvolin
