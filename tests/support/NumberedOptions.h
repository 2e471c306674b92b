#pragma once

#include "RenameOptions.h"

#include <string>

namespace tarvolin::test {

// The options of a plain numbered run: `base`, "_" and a number from `start`, nothing else.
inline RenameOptions Numbered(const std::string& base, int start = 0) {
    RenameOptions options;
    options.baseName = base;
    options.startNumber = start;
    return options;
}

} // namespace tarvolin::test
