#pragma once

// The DOS side of a file on ordinary Linux file systems (ext4, xfs, btrfs, tmpfs): read-only
// is the owner's write permission, and the four bits with a creation time live in Samba's
// `user.DOSATTRIB` (read-only there too, as Samba by default reads it from there alone), so
// files shared through Samba or opened under Wine afterwards show the same attributes.

#include "DosMetadataStore.h"

#include <memory>

namespace tarvolin {

std::unique_ptr<DosMetadataStore> MakeSambaStore();

} // namespace tarvolin
