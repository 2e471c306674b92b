#pragma once

// Which store keeps the DOS side of a volume, and what every reader gets through it.

// Everything a list row shows of one file, from one statx and the volume store's one read.
// Every reader of FileOps.h goes through here, so they can never disagree.

#include "DosMetadataStore.h"

#include <optional>

namespace tarvolin {

// The store of the volume that holds `file`, whose statx is `st`, asked once per mount.
const DosMetadataStore& StoreFor(const FileRef& file, const struct statx& st);

struct FileFacts {
    struct statx stat;
    DosSide dos;
};

std::optional<FileFacts> ReadFileFacts(const FileRef& file);

} // namespace tarvolin
