#pragma once

// Which file a path names on Windows and what it shows (FileOps.h's FileStamp).

#include "FileOps.h"

#include <optional>
#include <string>

namespace tarvolin {

std::optional<FileStamp> StampOf(const std::string& path);

} // namespace tarvolin
