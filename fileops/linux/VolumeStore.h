#pragma once

// Which store keeps the DOS side of a volume, and what every reader gets through it.

// Everything a list row shows of one file, from one statx and the volume store's one read.
// Every reader of FileOps.h goes through here, so they can never disagree.

#include "DosMetadataStore.h"
#include "StoreChoice.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace tarvolin {

struct FileFacts {
    struct statx stat;
    DosSide dos;
};

// One store of each kind, and which one each mount uses, as remembered by whoever holds this.
class VolumeStores {
public:
    VolumeStores();
    ~VolumeStores();
    VolumeStores(const VolumeStores&) = delete;
    VolumeStores& operator=(const VolumeStores&) = delete;

    // The store of the volume that holds `file`, whose statx is `st`, asked once per mount.
    const DosMetadataStore& StoreFor(const FileRef& file, const struct statx& st);
    std::optional<FileFacts> ReadFileFacts(const FileRef& file);
    bool IsOfKind(const DosMetadataStore& store, DosStoreKind kind) const {
        return &store == &StoreOfKind(kind);
    }

private:
    struct Choice {
        const DosMetadataStore* store;
        bool lasting; // holds for every file of the mount
    };
    const DosMetadataStore& StoreOfKind(DosStoreKind kind) const;
    Choice AskFileSystem(const FileRef& file) const;

    std::unique_ptr<DosMetadataStore> samba_;
    std::unique_ptr<DosMetadataStore> ntfs3g_;
    std::unique_ptr<DosMetadataStore> ntfs3_;
    std::unique_ptr<DosMetadataStore> fat_;
    std::unique_ptr<DosMetadataStore> modeOnly_;
    std::mutex guard_;
    std::map<std::uint64_t, const DosMetadataStore*> storeByMount_;
};

} // namespace tarvolin
