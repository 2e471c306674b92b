#include "FileAccess.h"

#include <fcntl.h>
#include <sys/xattr.h>

#ifndef STATX_MNT_ID_UNIQUE
#define STATX_MNT_ID_UNIQUE 0x00004000U // Linux 6.8; older kernels ignore the request
#endif

namespace tarvolin {

namespace {

std::optional<struct statx> Stat(const FileRef& file, int flags) {
    constexpr unsigned kWanted =
        STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID | STATX_MNT_ID_UNIQUE;
    struct statx st {};
    // The path is looked up as it is: no pattern matching, so '*' and '?' are name bytes.
    if (file.fd >= 0)
        return statx(file.fd, "", AT_EMPTY_PATH, kWanted, &st) == 0 ? std::optional(st)
                                                                    : std::nullopt;
    const FolderRelativeName entry = file.held != nullptr
                                         ? file.held->RelativeToFolder(file.path)
                                         : FolderRelativeName{AT_FDCWD, file.path.c_str()};
    if (statx(entry.folder, entry.name, flags, kWanted, &st) != 0)
        return std::nullopt;
    return st;
}

} // namespace

std::optional<struct statx> StatFile(const FileRef& file) {
    return Stat(file, 0);
}

std::optional<struct statx> StatEntry(const FileRef& file) {
    return Stat(file, AT_SYMLINK_NOFOLLOW);
}

ssize_t GetXattr(const FileRef& file, const char* name, void* buffer, std::size_t size) {
    if (file.fd >= 0)
        return fgetxattr(file.fd, name, buffer, size);
    return file.held != nullptr ? file.held->GetXattr(file.path, name, buffer, size)
                                : getxattr(file.path.c_str(), name, buffer, size);
}

int SetXattr(const FileRef& file, const char* name, std::span<const std::uint8_t> value) {
    return file.fd >= 0 ? fsetxattr(file.fd, name, value.data(), value.size(), 0)
                        : setxattr(file.path.c_str(), name, value.data(), value.size(), 0);
}

int RemoveXattr(const FileRef& file, const char* name) {
    return file.fd >= 0 ? fremovexattr(file.fd, name) : removexattr(file.path.c_str(), name);
}

namespace {

std::string_view WithoutTrailingSlashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

} // namespace

std::string_view ParentDirectoryView(std::string_view path) {
    path = WithoutTrailingSlashes(path);
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    std::string_view parent = WithoutTrailingSlashes(path.substr(0, slash));
    return parent.empty() ? "/" : parent;
}

std::string ParentDirectory(std::string_view path) {
    return std::string(ParentDirectoryView(path));
}

std::string_view LastComponentView(std::string_view path) {
    path = WithoutTrailingSlashes(path);
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string LastComponent(std::string_view path) {
    return std::string(LastComponentView(path));
}

bool IsDotFileName(std::string_view name) {
    return name.size() > 1 && name.front() == '.' && name != "..";
}

} // namespace tarvolin
