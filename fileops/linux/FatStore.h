#pragma once

// The DOS side of a file on a FAT or exFAT volume (USB sticks, SD cards) mounted by the
// kernel's vfat or exfat driver. The directory entry's own attribute byte is read and written
// through FAT_IOCTL_GET_ATTRIBUTES / FAT_IOCTL_SET_ATTRIBUTES, so Windows sees exactly what was
// set; the driver mirrors read-only into the mode itself. The creation time is the birth time
// statx reports; no call sets it, so writing one fails. These volumes keep no user xattrs.
// Pinned by OnEveryVolume.KeepsEveryCombinationOfTheFourAttributesItCanHold and
// OnEveryVolume.WritesTheCreationTimeWhereTheVolumeKeepsOne, run on vfat and exfat in a
// virtual machine.

#include "DosMetadataStore.h"

#include <memory>

namespace tarvolin {

std::unique_ptr<DosMetadataStore> MakeFatStore();

// The attribute byte of `file`, or no value where the volume does not answer the FAT ioctl.
std::optional<std::uint32_t> ReadFatAttributes(const FileRef& file);

} // namespace tarvolin
