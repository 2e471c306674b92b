#pragma once

// Attributes and times read and written exactly on Windows, for undo (FileFront.h decides what
// is written and checks it).

#include "FileOps.h"
#include "RestorePlan.h"

#include <optional>
#include <string>
#include <windows.h>

namespace tarvolin {

// Every part filled; no value when nothing answers at `path`.
std::optional<ExactMetadata> ReadWindowsMetadata(const std::string& path);
// The same from what the system already gave: a path's attribute data or a handle's
// information carry the same four fields.
ExactMetadata WindowsMetadataOf(DWORD attributes, const FILETIME& created, const FILETIME& accessed,
                                const FILETIME& written);

// Writes the times `plan` names of `before`.
bool PutBackTimes(const std::string& path, const ExactMetadata& before, const RestorePlan& plan);

} // namespace tarvolin
