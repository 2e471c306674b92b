#pragma once

// The DOS side of a file on a volume with no place for it (ramfs, a FUSE volume without
// extended attributes): only read-only can be kept, in the mode, where this program, Wine and
// a Samba with `map readonly = yes` find it. Every other bit and the creation time are
// refused, never pretended.

#include "DosMetadataStore.h"

#include <memory>

namespace tarvolin {

std::unique_ptr<DosMetadataStore> MakeModeOnlyStore();

} // namespace tarvolin
