#include "WindowsNames.h"

namespace tarvolin {

bool WindowsRefusesName(std::string_view name) {
    // A switch rather than a search of the list for each byte: every rename asks this.
    for (const char c : name) {
        switch (c) {
        case '"':
        case '*':
        case ':':
        case '<':
        case '>':
        case '?':
        case '\\':
        case '|':
            return true;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                return true;
        }
    }
    return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

} // namespace tarvolin
