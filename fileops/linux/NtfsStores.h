#pragma once

// The DOS side of a file on an NTFS volume mounted through ntfs-3g or lowntfs-3g. NTFS keeps
// the attribute word and all four times itself, and ntfs-3g hands them out as `system.ntfs_*`
// extended attributes: Windows then sees exactly what was written here. Nothing goes to
// `user.*` names, which ntfs-3g would store as alternate data streams of the file.

#include "DosMetadataStore.h"

#include <memory>

namespace tarvolin {

std::unique_ptr<DosMetadataStore> MakeNtfs3gStore();

// What a volume said when asked for NTFS's attribute word of `file`, the name ntfs-3g
// introduced and the kernel's ntfs3 driver answers too.
enum class NtfsWordAnswer {
    Given,    // a value of the right size: an NTFS driver runs the volume
    Unknown,  // the name means nothing there: no NTFS driver runs the volume
    NoAnswer, // the file could not be asked (gone, no access); try again with another file
};

NtfsWordAnswer AskForNtfsAttributeWord(const FileRef& file);

// The DOS side of a file on an NTFS volume mounted by the kernel's ntfs3 driver. The driver
// hands out NTFS's own attribute word as `system.ntfs_attrib` and keeps the read-only bit and
// the mode's write bits in step itself; the creation time is the birth time statx reports.
// No call of this driver sets a creation time, so writing one fails. Nothing is ever written
// under another name: ntfs3 would keep it as an NTFS extended attribute that Windows ignores,
// even ntfs-3g's `system.ntfs_crtime`, which it accepts and stores as junk.
// Pinned by OnEveryVolume.KeepsEveryCombinationOfTheFourAttributesItCanHold and
// OnEveryVolume.WritesTheCreationTimeWhereTheVolumeKeepsOne, run on ntfs3 in a virtual machine.

std::unique_ptr<DosMetadataStore> MakeNtfs3Store();

} // namespace tarvolin
