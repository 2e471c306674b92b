#include "WindowsNames.h"

namespace tarvolin {

bool WindowsRefusesName(std::string_view name) {
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view(R"("*:<>?\|)").find(c) != std::string_view::npos)
            return true;
    return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

} // namespace tarvolin
