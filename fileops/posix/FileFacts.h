#pragma once

// Everything a list row shows of one file, from one statx and the volume store's one read.
// Every reader of FileOps.h goes through here, so they can never disagree.

#include "DosMetadataStore.h"

#include <optional>

namespace tarvolin {

struct FileFacts {
    struct statx stat;
    DosSide dos;
};

std::optional<FileFacts> ReadFileFacts(const FileRef& file);

} // namespace tarvolin
