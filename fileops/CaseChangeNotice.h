#pragma once

// How both backends tell the CaseChangeListener of FileOps.h what they do.

#include <string>

namespace tarvolin {

void AnnounceCaseChange(const std::string& oldPath, const std::string& temporaryPath,
                        const std::string& newPath);
void AnnounceCaseChangeFinished(const std::string& newPath);
void AnnounceReservation(const std::string& path);
void AnnounceReservationDropped(const std::string& path);

// The name a letter-case change parks the file under, beside it: "." + `newName` (cut at a
// character boundary where the whole would not fit in one name) + ".Tarvolin-Case-<process>-<n>",
// a fresh n on each call. The capitals also tell whether a directory lists names as given.
std::string CaseChangeTemporaryName(const std::string& newName, unsigned long processId);

} // namespace tarvolin
