#pragma once

#include "FileOps.h"

#include <string>

namespace tarvolin {

// What `folder` lists and what its volume allows, as Windows reports it.
FolderFacts ReadWindowsFolderFacts(const std::string& folder);

} // namespace tarvolin
