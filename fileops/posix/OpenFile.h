#pragma once

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {

// Opens a regular file for writing its times, and nothing else: a FIFO, socket or device is
// not opened at all (a FIFO's waiting reader would see its writer vanish), a symbolic link is
// not followed into another folder, and a directory is refused as Windows refuses it. The
// entry is pinned first (O_PATH) and then reopened through that very handle, for reading only:
// setting a file's times is its owner's right and needs no write access, so a read-only file
// takes them as it does on Windows, where the right to write attributes is enough.
class OpenFile {
public:
    explicit OpenFile(const std::string& path) {
        const int entry = open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        struct stat st {};
        if (entry < 0)
            return;
        if (fstat(entry, &st) == 0 && S_ISREG(st.st_mode)) {
            const std::string handle = "/proc/self/fd/" + std::to_string(entry);
            fd_ = open(handle.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd_ < 0 && errno == ENOENT) // no /proc: the path again, and the same file
                fd_ = ReopenByPath(path, st);
        }
        close(entry);
    }
    ~OpenFile() {
        if (fd_ >= 0)
            close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int fd() const { return fd_; }

private:
    static int ReopenByPath(const std::string& path, const struct stat& pinned) {
        const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        struct stat st {};
        if (fd >= 0 && fstat(fd, &st) == 0 && st.st_dev == pinned.st_dev &&
            st.st_ino == pinned.st_ino)
            return fd;
        if (fd >= 0)
            close(fd);
        return -1;
    }

    int fd_ = -1;
};

} // namespace tarvolin
