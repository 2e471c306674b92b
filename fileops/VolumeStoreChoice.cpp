#include "DosAttribXattrStore.h"
#include "DosMetadataStore.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <sys/vfs.h>

#ifndef STATX_MNT_ID_UNIQUE
#define STATX_MNT_ID_UNIQUE 0x00004000U
#endif

namespace tarvolin {

namespace {

using FileSystemType = decltype(statfs::f_type);

// Every file system type keeps its DOS side the generic way until a volume with a native
// place for it (ntfs-3g's system.ntfs_attrib and system.ntfs_times) gets a store of its own.
const DosMetadataStore& StoreForFileSystem([[maybe_unused]] FileSystemType type) {
    return DosAttribXattrStore();
}

const DosMetadataStore& AskFileSystem(const FileRef& file) {
    struct statfs volume {};
    const int result =
        file.fd >= 0 ? fstatfs(file.fd, &volume) : statfs(file.path.c_str(), &volume);
    return StoreForFileSystem(result == 0 ? volume.f_type : 0);
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
        return AskFileSystem(file);
    static std::mutex guard;
    static std::map<std::uint64_t, const DosMetadataStore*> storeByMount;
    const std::lock_guard lock(guard);
    const auto known = storeByMount.find(*mountId);
    if (known != storeByMount.end())
        return *known->second;
    const DosMetadataStore& store = AskFileSystem(file);
    storeByMount.emplace(*mountId, &store);
    return store;
}

} // namespace tarvolin
