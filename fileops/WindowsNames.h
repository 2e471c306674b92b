#pragma once

// The names FAT, exFAT and NTFS refuse, or hold where Windows then cannot open the file. Some
// drivers take them anyway and others quietly drop a trailing dot, so that the file ends
// under another name than the one asked for; the program asks neither.

#include <string_view>

namespace tarvolin {

// A name holding `"*:<>?\|` or a control character, or ending in a dot or a space.
bool WindowsRefusesName(std::string_view name);

} // namespace tarvolin
