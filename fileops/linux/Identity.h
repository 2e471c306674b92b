#pragma once

// Which file a path names on Linux and what it shows (FileOps.h's FileStamp), and the removal
// of what a crash left of a reservation.

#include "FileOps.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvolin {

std::optional<FileStamp> StampOf(const std::string& path);
std::vector<std::optional<FileStamp>> StampsOf(std::span<const std::string> paths);
bool RemoveIfEmptyFileMadeSince(const std::string& path, long long notBefore);

} // namespace tarvolin
