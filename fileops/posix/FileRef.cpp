#include "FileRef.h"

#include <fcntl.h>

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
    const int result = file.fd >= 0 ? statx(file.fd, "", AT_EMPTY_PATH, kWanted, &st)
                                    : statx(AT_FDCWD, file.path.c_str(), flags, kWanted, &st);
    if (result != 0)
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

} // namespace tarvolin
