#pragma once

// Paths compared as a case-insensitive volume compares names, as far as the program can tell
// without asking it: ASCII letters alike in either case.

#include <string>

namespace tarvolin {

inline std::string FoldedLetterCase(std::string path) {
    for (char& c : path) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return path;
}

inline bool DiffersInLetterCaseOnly(const std::string& a, const std::string& b) {
    return a != b && FoldedLetterCase(a) == FoldedLetterCase(b);
}

} // namespace tarvolin
