#pragma once

// How the Linux backend reaches one file: by path or through a descriptor it holds, its statx,
// its extended attributes, and the parts of its path.

// One file as the metadata readers and writers see it. Writers hold the file open, so that
// what they check (is it read-only?) is the very file they then change; readers go by path.

#include "HeldFolder.h"
#include "LocalTime.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace tarvolin {

struct FileRef {
    const std::string& path;     // as the caller spelled it; its last entry decides dot-file hiding
    int fd = -1;                 // when not -1, every call goes through this descriptor
    HeldFolders* held = nullptr; // otherwise through the file's folder, where a run holds it
};

// One statx with everything a list row needs. No value when nothing answers at the path.
std::optional<struct statx> StatFile(const FileRef& file);
// The same for the entry itself: a symbolic link is not followed.
std::optional<struct statx> StatEntry(const FileRef& file);

inline UnixTime ToUnixTime(const statx_timestamp& t) {
    return UnixTime{t.tv_sec, t.tv_nsec};
}

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

// Extended-attribute calls on a FileRef: through its descriptor when it has one, else by path
// (following symbolic links, like every other operation of this backend). Results and errno
// are those of the system calls.

ssize_t GetXattr(const FileRef& file, const char* name, void* buffer, std::size_t size);
int SetXattr(const FileRef& file, const char* name, std::span<const std::uint8_t> value);
int RemoveXattr(const FileRef& file, const char* name);

// Splitting a POSIX path into the directory that holds an entry and the entry's own name,
// byte for byte: '/' is the only separator and every other byte belongs to a name.

// The directory holding the last entry of `path`, as a path that can be opened: "." for a
// bare name, "/" for an entry of the root. Trailing slashes do not count as an entry.
std::string ParentDirectory(std::string_view path);
// The same within `path` (or a constant), for the per-file looks that only compare it.
std::string_view ParentDirectoryView(std::string_view path);

// The bytes of the last entry of `path`, after the last '/' that is not trailing.
std::string LastComponent(std::string_view path);
std::string_view LastComponentView(std::string_view path);

// Unix's convention for a name that listings leave out; "." and ".." name no file of their own.
bool IsDotFileName(std::string_view name);

} // namespace tarvolin
