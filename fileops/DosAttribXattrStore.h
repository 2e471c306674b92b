#pragma once

// The DOS side of a file on ordinary Linux file systems (ext4, xfs, btrfs, tmpfs): read-only
// is the owner's write permission, and the rest lives in Samba's `user.DOSATTRIB`, so files
// shared through Samba or opened under Wine afterwards show the same attributes.

#include "DosMetadataStore.h"

namespace tarvolin {

const DosMetadataStore& DosAttribXattrStore();

} // namespace tarvolin
