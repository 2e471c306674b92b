#pragma once

// The temporary name of a change of letter case (FileOps.h).

#include <string>

namespace tarvolin {

// The name a letter-case change parks the file under, beside it: "." + `newName` (cut at a
// character boundary where the whole would not fit in one name) + ".Tarvolin-Case-<process>-<n>",
// a fresh n on each call. The capitals also tell whether a directory lists names as given.
std::string CaseChangeTemporaryName(const std::string& newName, unsigned long processId);

} // namespace tarvolin
