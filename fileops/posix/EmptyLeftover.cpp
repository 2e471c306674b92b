// What a crash leaves of a reservation (NoReplaceMove.h) is an empty file the program made;
// recovery removes it only while it still is one, so nothing with content is ever lost.
#include "FileOps.h"
#include "Guarded.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {

namespace {

// FAT keeps its times in two-second steps, rounded down; every other volume is finer.
constexpr long long kCoarsestTimeStep = 2;

std::optional<struct statx> EntryAt(const std::string& path) {
    struct statx st {};
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st) !=
        0)
        return std::nullopt;
    return st;
}

// Birth time where the volume has one; else the last status change, which the exclusive
// create set and which only grows later.
long long MadeAt(const struct statx& st) {
    return (st.stx_mask & STATX_BTIME) != 0 ? st.stx_btime.tv_sec : st.stx_ctime.tv_sec;
}

bool IsEmptyFileMadeSince(const struct statx& st, long long notBefore) {
    return S_ISREG(st.stx_mode) && st.stx_size == 0 && MadeAt(st) + kCoarsestTimeStep >= notBefore;
}

} // namespace

bool RemoveEmptyFileMadeSince(const std::string& path, long long notBefore) {
    return Guarded(false, [&] {
        const std::optional<struct statx> found = EntryAt(path);
        return found && IsEmptyFileMadeSince(*found, notBefore) && unlink(path.c_str()) == 0;
    });
}

} // namespace tarvolin
