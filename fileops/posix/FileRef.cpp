#include "FileRef.h"

#include <fcntl.h>

#ifndef STATX_MNT_ID_UNIQUE
#define STATX_MNT_ID_UNIQUE 0x00004000U // Linux 6.8; older kernels ignore the request
#endif

namespace tarvolin {

std::optional<struct statx> StatFile(const FileRef& file) {
    constexpr unsigned kWanted =
        STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID | STATX_MNT_ID_UNIQUE;
    struct statx st {};
    // The path is looked up as it is: no pattern matching, so '*' and '?' are name bytes.
    const int result = file.fd >= 0 ? statx(file.fd, "", AT_EMPTY_PATH, kWanted, &st)
                                    : statx(AT_FDCWD, file.path.c_str(), 0, kWanted, &st);
    if (result != 0)
        return std::nullopt;
    return st;
}

} // namespace tarvolin
