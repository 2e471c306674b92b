// The store of each volume, chosen from what the volume answers (StoreChoice.h), and the one
// reading of a file that every reader of the Linux backend shares.
#include "VolumeStore.h"

#include "DosMetadataStore.h"
#include "FatStore.h"
#include "FileAccess.h"
#include "ModeOnlyStore.h"
#include "NtfsStores.h"
#include "SambaStore.h"
#include "StoreChoice.h"

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

// One store of each kind for the life of the program: a store keeps nothing of a file.
struct Stores {
    std::unique_ptr<DosMetadataStore> samba = MakeSambaStore();
    std::unique_ptr<DosMetadataStore> ntfs3g = MakeNtfs3gStore();
    std::unique_ptr<DosMetadataStore> ntfs3 = MakeNtfs3Store();
    std::unique_ptr<DosMetadataStore> fat = MakeFatStore();
    std::unique_ptr<DosMetadataStore> modeOnly = MakeModeOnlyStore();
};

const Stores& AllStores() {
    static const Stores stores;
    return stores;
}

const DosMetadataStore& StoreOfKind(DosStoreKind kind) {
    switch (kind) {
    case DosStoreKind::Ntfs3g:
        return *AllStores().ntfs3g;
    case DosStoreKind::Ntfs3:
        return *AllStores().ntfs3;
    case DosStoreKind::FatAttributes:
        return *AllStores().fat;
    case DosStoreKind::ModeOnly:
        return *AllStores().modeOnly;
    case DosStoreKind::SambaDosAttrib:
        break;
    }
    return *AllStores().samba;
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
        return Choice{AllStores().samba.get(), false};
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

std::optional<FileFacts> ReadFileFacts(const FileRef& file) {
    const std::optional<struct statx> st = StatFile(file);
    if (!st)
        return std::nullopt;
    return FileFacts{*st, StoreFor(file, *st).Read(file, *st)};
}

} // namespace tarvolin
