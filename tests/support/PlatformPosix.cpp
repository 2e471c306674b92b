#include "Platform.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace tarvolin::test {

bool RunningUnderWine() {
    return false;
}

std::optional<FileIdentity> ReadFileIdentity(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino),
                        static_cast<std::uint64_t>(st.st_nlink)};
}

std::optional<AccessAndModify> ReadRawTimes(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return AccessAndModify{{st.st_atim.tv_sec, static_cast<std::int32_t>(st.st_atim.tv_nsec)},
                           {st.st_mtim.tv_sec, static_cast<std::int32_t>(st.st_mtim.tv_nsec)}};
}

bool WriteRawTimes(const std::string& path, const AccessAndModify& times) {
    const timespec raw[2] = {{static_cast<time_t>(times.access.seconds), times.access.nanoseconds},
                             {static_cast<time_t>(times.modify.seconds), times.modify.nanoseconds}};
    return utimensat(AT_FDCWD, path.c_str(), raw, 0) == 0;
}

} // namespace tarvolin::test
