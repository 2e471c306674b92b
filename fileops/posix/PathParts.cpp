#include "PathParts.h"

namespace tarvolin {

namespace {

std::string_view WithoutTrailingSlashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

} // namespace

std::string ParentDirectory(std::string_view path) {
    path = WithoutTrailingSlashes(path);
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    std::string_view parent = WithoutTrailingSlashes(path.substr(0, slash));
    return parent.empty() ? "/" : std::string(parent);
}

std::string LastComponent(std::string_view path) {
    path = WithoutTrailingSlashes(path);
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool IsDotFileName(std::string_view name) {
    return name.size() > 1 && name.front() == '.' && name != "..";
}

} // namespace tarvolin
