#pragma once

// Attributes and times read and written exactly on Windows, for undo (FileFront.h decides what
// is written and checks it).

#include "FileOps.h"
#include "RestorePlan.h"

#include <optional>
#include <string>

namespace tarvolin {

// Every part filled; no value when nothing answers at `path`.
std::optional<ExactMetadata> ReadWindowsMetadata(const std::string& path);

// Writes the times `plan` names of `before`.
bool PutBackTimes(const std::string& path, const ExactMetadata& before, const RestorePlan& plan);

} // namespace tarvolin
