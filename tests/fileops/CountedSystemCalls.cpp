#include "CountedSystemCalls.h"

#include <atomic>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

std::atomic<int> statxCalls{0};
std::atomic<int> getxattrCalls{0};
std::atomic<int> statfsCalls{0};

} // namespace

namespace tarvolin::test {

void ResetSystemCallCounts() {
    statxCalls = 0;
    getxattrCalls = 0;
    statfsCalls = 0;
}

SystemCallCounts CurrentSystemCallCounts() {
    return SystemCallCounts{statxCalls.load(), getxattrCalls.load(), statfsCalls.load()};
}

} // namespace tarvolin::test

extern "C" {

int statx(int dirfd, const char* path, int flags, unsigned int mask,
          struct statx* buffer) noexcept {
    ++statxCalls;
    return static_cast<int>(syscall(SYS_statx, dirfd, path, flags, mask, buffer));
}

ssize_t getxattr(const char* path, const char* name, void* value, size_t size) noexcept {
    ++getxattrCalls;
    return syscall(SYS_getxattr, path, name, value, size);
}

ssize_t lgetxattr(const char* path, const char* name, void* value, size_t size) noexcept {
    ++getxattrCalls;
    return syscall(SYS_lgetxattr, path, name, value, size);
}

ssize_t fgetxattr(int fd, const char* name, void* value, size_t size) noexcept {
    ++getxattrCalls;
    return syscall(SYS_fgetxattr, fd, name, value, size);
}

int statfs(const char* path, struct statfs* buffer) noexcept {
    ++statfsCalls;
    return static_cast<int>(syscall(SYS_statfs, path, buffer));
}

int fstatfs(int fd, struct statfs* buffer) noexcept {
    ++statfsCalls;
    return static_cast<int>(syscall(SYS_fstatfs, fd, buffer));
}

} // extern "C"
