#pragma once

// A name field holds one name. Typed with a directory separator, or as "." or "..", it would
// send the files into another folder (a base name of "../x" climbs the tree), so such input
// is refused before any file is touched.

#include "FileOps.h"
#include "RenameOptions.h"

#include <optional>
#include <string>

namespace tarvolin {

// The error text for the first name field that is no plain name, or none when both are. The
// extension counts only when it replaces the old one, since otherwise it is never used.
std::optional<std::string> FindNameFieldFault(const RenameOptions& options,
                                              PathSyntax syntax = NativePathSyntax());

} // namespace tarvolin
