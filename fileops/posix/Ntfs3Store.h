#pragma once

// The DOS side of a file on an NTFS volume mounted by the kernel's ntfs3 driver. The driver
// hands out NTFS's own attribute word as `system.ntfs_attrib` and keeps the read-only bit and
// the mode's write bits in step itself; the creation time is the birth time statx reports.
// No call of this driver sets a creation time, so writing one fails. Nothing is ever written
// under another name: ntfs3 would keep it as an NTFS extended attribute that Windows ignores,
// even ntfs-3g's `system.ntfs_crtime`, which it accepts and stores as junk.
// Pinned by OnEveryVolume.KeepsEveryCombinationOfTheFourAttributesItCanHold and
// OnEveryVolume.WritesTheCreationTimeWhereTheVolumeKeepsOne, run on ntfs3 in a virtual machine.

#include "DosMetadataStore.h"

namespace tarvolin {

const DosMetadataStore& Ntfs3Store();

} // namespace tarvolin
