#pragma once

// What a directory listing says about one name. Case-insensitive volumes differ here: most
// list each name in the letter case it was given, but lowntfs-3g with ignore_case lists every
// name in lower case, whatever case the volume holds, so there a listing cannot show which
// case a name has (pinned by OnEveryVolume.ChangesOnlyTheLetterCase on lowntfs-3g).

#include "Backend.h"

#include <span>
#include <string>
#include <vector>

namespace tarvolin {

// Whether `directory` has an entry named exactly `name`, byte for byte.
bool DirectoryLists(const std::string& directory, const std::string& name);

// How `directory` lists `name`, an entry of it whose letter case the caller knows.
ListedAs HowDirectoryLists(const std::string& directory, const std::string& name);

// For each path, whether its folder lists an entry spelled exactly as its last part.
std::vector<bool> ListsAsSpelled(std::span<const std::string> paths);

// `name` with 'A'..'Z' lowered and every other byte kept.
std::string AsciiLowerCase(std::string name);

} // namespace tarvolin
