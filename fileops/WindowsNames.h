#pragma once

// The names FAT, exFAT and NTFS refuse, or hold where Windows then cannot open the file.
// Some Linux drivers take them anyway (ntfs-3g a '?', exfat-fuse a trailing dot), and Windows
// drops a trailing dot from a path it is handed, so that the file would end under another
// name than the one asked for; the program asks for neither.

#include <string_view>

namespace tarvolin {

// A name holding `"*:<>?\|` or a control character, or ending in a dot or a space.
bool WindowsRefusesName(std::string_view name);

} // namespace tarvolin
