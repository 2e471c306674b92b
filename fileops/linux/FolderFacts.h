#pragma once

#include "FileOps.h"
#include "VolumeStore.h"

#include <string>

namespace tarvolin {

// What `folder` lists and what its volume allows, with the store choice `stores` remembers.
FolderFacts ReadLinuxFolderFacts(VolumeStores& stores, const std::string& folder);

} // namespace tarvolin
