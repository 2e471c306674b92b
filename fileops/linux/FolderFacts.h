#pragma once

#include "FileOps.h"
#include "VolumeStore.h"

#include <string>

namespace tarvolin {

// What `folder` lists and what its volume allows, with the store choice `stores` remembers.
FolderFacts ReadLinuxFolderFacts(VolumeStores& stores, const std::string& folder);

// Whether `folder` lies on FAT, exFAT or NTFS, through the kernel or a FUSE server.
bool FolderKeepsWindowsNames(VolumeStores& stores, const std::string& folder);

} // namespace tarvolin
