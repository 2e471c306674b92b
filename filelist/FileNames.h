#pragma once

#include <string>
#include <vector>

namespace tarvolin {

// The ordered full paths that a rename works on, as the file dialog gave them. Not sorted;
// the same path may stand in it twice. Row k of the file list always shows entry k.
using FileNames = std::vector<std::string>;

} // namespace tarvolin
