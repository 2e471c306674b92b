#include "Platform.h"

#include <cstdlib>
#include <fcntl.h>
#include <linux/fs.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin::test {

namespace {

void ClearImmutable(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    int flags = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL))) {
        flags &= ~(FS_IMMUTABLE_FL | FS_APPEND_FL);
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    close(fd);
}

} // namespace

bool RunningUnderWine() {
    return false;
}

std::filesystem::path Utf8Path(const std::string& path) {
    return std::filesystem::path(path);
}

std::string Utf8String(const std::filesystem::path& path) {
    return path.string();
}

std::string CreateScratchDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tarvolin-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed for " + pattern);
    return pattern;
}

void MakeRemovable(const std::filesystem::path& path) {
    ClearImmutable(path.string());
    std::error_code error;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(path, error)))
        chmod(path.c_str(), 0700);
}

bool NamesMayHoldAnyByte() {
    return true;
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
