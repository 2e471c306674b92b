#pragma once

// How both backends tell the CaseChangeListener of FileOps.h what they do.

#include <string>

namespace tarvolin {

void AnnounceCaseChange(const std::string& oldPath, const std::string& temporaryPath,
                        const std::string& newPath);
void AnnounceCaseChangeFinished(const std::string& newPath);

} // namespace tarvolin
