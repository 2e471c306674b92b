#pragma once

// The DOS side of a file on an NTFS volume mounted through ntfs-3g or lowntfs-3g. NTFS keeps
// the attribute word and all four times itself, and ntfs-3g hands them out as `system.ntfs_*`
// extended attributes: Windows then sees exactly what was written here. Nothing goes to
// `user.*` names, which ntfs-3g would store as alternate data streams of the file.

#include "DosMetadataStore.h"

namespace tarvolin {

const DosMetadataStore& Ntfs3gStore();

// What a FUSE volume said when asked for ntfs-3g's attribute word of `file`.
enum class Ntfs3gAnswer {
    Ntfs3g,    // a value of the right size: the volume is ntfs-3g's
    OtherFuse, // the name is unknown there, so some other FUSE server runs the volume
    NoAnswer,  // the file could not be asked (gone, no access); try again with another file
};

Ntfs3gAnswer AskForNtfsAttributes(const FileRef& file);

} // namespace tarvolin
