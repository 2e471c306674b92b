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

VolumeStores::VolumeStores()
    : samba_(MakeSambaStore()), ntfs3g_(MakeNtfs3gStore()), ntfs3_(MakeNtfs3Store()),
      fat_(MakeFatStore()), modeOnly_(MakeModeOnlyStore()) {}

VolumeStores::~VolumeStores() = default;

const DosMetadataStore& VolumeStores::StoreOfKind(DosStoreKind kind) const {
    switch (kind) {
    case DosStoreKind::Ntfs3g:
        return *ntfs3g_;
    case DosStoreKind::Ntfs3:
        return *ntfs3_;
    case DosStoreKind::FatAttributes:
        return *fat_;
    case DosStoreKind::ModeOnly:
        return *modeOnly_;
    case DosStoreKind::SambaDosAttrib:
        break;
    }
    return *samba_;
}

// A volume that could not be asked is not remembered, so that a later file asks again: a
// wrong lasting choice would put `user.DOSATTRIB` streams on every file of an NTFS volume.
VolumeStores::Choice VolumeStores::AskFileSystem(const FileRef& file) const {
    const std::optional<VolumeAnswers> answers = AskVolume(file);
    if (!answers)
        return Choice{samba_.get(), false};
    return Choice{&StoreOfKind(ChooseDosStore(*answers)), true};
}

const DosMetadataStore& VolumeStores::StoreFor(const FileRef& file, const struct statx& st) {
    const std::optional<std::uint64_t> mountId = UniqueMountId(st);
    if (!mountId)
        return *AskFileSystem(file).store;
    const std::lock_guard lock(guard_);
    const auto known = storeByMount_.find(*mountId);
    if (known != storeByMount_.end())
        return *known->second;
    const Choice choice = AskFileSystem(file);
    if (choice.lasting)
        storeByMount_.emplace(*mountId, choice.store);
    return *choice.store;
}

std::optional<FileFacts> VolumeStores::ReadFileFacts(const FileRef& file) {
    const std::optional<struct statx> st = StatFile(file);
    if (!st)
        return std::nullopt;
    return FileFacts{*st, StoreFor(file, *st).Read(file, *st)};
}

} // namespace tarvolin
