#pragma once

// Attributes and times read and written exactly on Linux, for undo (FileFront.h decides what
// is written and checks it).

#include "Backend.h"
#include "FileOps.h"
#include "Identity.h"
#include "RestorePlan.h"
#include "VolumeStore.h"

#include <optional>
#include <string>

namespace tarvolin {

// Every part filled; no value when nothing answers at `path`.
// Through `held` where a run holds the file's folder.
std::optional<ExactMetadata> ReadLinuxMetadata(VolumeStores& stores, const std::string& path,
                                               HeldFolders* held = nullptr);

// The same and the entry's stamp, from one statx of the entry where it is no symbolic link.
MetadataAndStamp ReadLinuxMetadataAndStamp(VolumeStores& stores, FileStamps& stamps,
                                           const std::string& path, HeldFolders* held = nullptr);

// Writes the parts `plan` names of `before`, then leaves the file with exactly `wanted`.
bool PutBackMetadata(VolumeStores& stores, const std::string& path, const ExactMetadata& before,
                     const RestorePlan& plan, AttributeSet wanted);

} // namespace tarvolin
