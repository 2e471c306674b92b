#pragma once

// The DOS side of a file on an NTFS volume mounted through ntfs-3g or lowntfs-3g. NTFS keeps
// the attribute word and all four times itself, and ntfs-3g hands them out as `system.ntfs_*`
// extended attributes: Windows then sees exactly what was written here. Nothing goes to
// `user.*` names, which ntfs-3g would store as alternate data streams of the file.

#include "DosMetadataStore.h"

namespace tarvolin {

const DosMetadataStore& Ntfs3gStore();

// What a volume said when asked for NTFS's attribute word of `file`, the name ntfs-3g
// introduced and the kernel's ntfs3 driver answers too.
enum class NtfsWordAnswer {
    Given,    // a value of the right size: an NTFS driver runs the volume
    Unknown,  // the name means nothing there: no NTFS driver runs the volume
    NoAnswer, // the file could not be asked (gone, no access); try again with another file
};

NtfsWordAnswer AskForNtfsAttributeWord(const FileRef& file);

} // namespace tarvolin
