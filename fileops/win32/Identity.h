#pragma once

// Which file a path names on Windows and what it shows (FileOps.h's FileStamp).

#include "Backend.h"
#include "FileOps.h"

#include <optional>
#include <string>

namespace tarvolin {

std::optional<FileStamp> StampOf(const std::string& path);
// ReadWindowsMetadata (ExactMetadata.h) and StampOf from one handle's information.
MetadataAndStamp MetadataAndStampOf(const std::string& path);

} // namespace tarvolin
