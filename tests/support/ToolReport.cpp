#include "ToolReport.h"

#include <ctime>

namespace tarvolin::test {

std::optional<std::int64_t> ParseUtcReport(const std::string& text) {
    std::tm fields{};
    if (strptime(text.c_str(), " %a %b %d %H:%M:%S %Y", &fields) == nullptr)
        return std::nullopt;
    return static_cast<std::int64_t>(timegm(&fields));
}

std::optional<std::uint32_t> ParseAttributeReport(const std::string& text) {
    const std::size_t open = text.rfind('(');
    if (open == std::string::npos)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(text.substr(open + 1), nullptr, 16));
}

} // namespace tarvolin::test
