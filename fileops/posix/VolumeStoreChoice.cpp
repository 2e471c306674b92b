#include "DosMetadataStore.h"
#include "FatAttributeStore.h"
#include "ModeOnlyStore.h"
#include "Ntfs3Store.h"
#include "Ntfs3gStore.h"
#include "SambaDosAttribStore.h"
#include "StoreChoice.h"
#include "XattrIo.h"

#include <cerrno>
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

struct Choice {
    const DosMetadataStore* store;
    bool lasting; // holds for every file of the mount
};

const DosMetadataStore& StoreOfKind(DosStoreKind kind) {
    switch (kind) {
    case DosStoreKind::Ntfs3g:
        return Ntfs3gStore();
    case DosStoreKind::Ntfs3:
        return Ntfs3Store();
    case DosStoreKind::FatAttributes:
        return FatAttributeStore();
    case DosStoreKind::ModeOnly:
        return ModeOnlyStore();
    case DosStoreKind::SambaDosAttrib:
        break;
    }
    return SambaDosAttribStore();
}

// Whether `errno` after a refused question says something of the volume rather than of the
// file (gone, no access), in which case the answer is worth keeping for the whole mount.
bool VolumeSpoke() {
    return errno != ENOENT && errno != EACCES && errno != EPERM && errno != ENOTDIR &&
           errno != ELOOP && errno != ENAMETOOLONG;
}

// Asks the volume of `file`; no value when the file could not be asked.
std::optional<VolumeAnswers> AskVolume(const FileRef& file) {
    struct statfs volume {};
    const int result =
        file.fd >= 0 ? fstatfs(file.fd, &volume) : statfs(file.path.c_str(), &volume);
    if (result != 0)
        return std::nullopt;
    VolumeAnswers answers;
    answers.fuse = volume.f_type == static_cast<decltype(volume.f_type)>(FUSE_SUPER_MAGIC);
    switch (AskForNtfsAttributeWord(file)) {
    case NtfsWordAnswer::Given:
        answers.ntfsAttributeWord = true;
        return answers;
    case NtfsWordAnswer::NoAnswer:
        return std::nullopt;
    case NtfsWordAnswer::Unknown:
        break;
    }
    if (!answers.fuse) {
        answers.fatAttributes = ReadFatAttributes(file).has_value();
        if (!answers.fatAttributes && !VolumeSpoke())
            return std::nullopt;
    }
    std::uint8_t probe = 0;
    answers.userXattrs = GetXattr(file, "user.DOSATTRIB", &probe, 0) >= 0 || errno != ENOTSUP;
    return answers;
}

// A volume that could not be asked is not remembered, so that a later file asks again: a
// wrong lasting choice would put `user.DOSATTRIB` streams on every file of an NTFS volume.
Choice AskFileSystem(const FileRef& file) {
    const std::optional<VolumeAnswers> answers = AskVolume(file);
    if (!answers)
        return Choice{&SambaDosAttribStore(), false};
    return Choice{&StoreOfKind(ChooseDosStore(*answers)), true};
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
