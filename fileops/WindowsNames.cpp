#include "WindowsNames.h"

#include <array>

namespace tarvolin {

namespace {

// The bytes no name may hold there: the control characters and `"*:<>?\|`.
constexpr std::array<bool, 256> kRefusedBytes = [] {
    std::array<bool, 256> refused{};
    for (int byte = 0; byte < 0x20; ++byte)
        refused[byte] = true;
    for (const unsigned char byte : std::string_view("\"*:<>?\\|"))
        refused[byte] = true;
    return refused;
}();

} // namespace

// One look into a table per byte: every rename asks this of its new name.
bool WindowsRefusesName(std::string_view name) {
    for (const char c : name)
        if (kRefusedBytes[static_cast<unsigned char>(c)])
            return true;
    return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

} // namespace tarvolin
