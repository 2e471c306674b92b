#include "Privileges.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvolin::test {

namespace {

constexpr int kStepSucceeded = 0;
constexpr int kStepFailed = 1;
constexpr int kCouldNotDropRoot = 2;

bool DropRoot() {
    return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
}

} // namespace

bool RunningAsRoot() {
    return geteuid() == 0;
}

std::optional<bool> RunAsNobody(const std::function<bool()>& step) {
    const pid_t child = fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        if (!DropRoot())
            _exit(kCouldNotDropRoot);
        _exit(step() ? kStepSucceeded : kStepFailed);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return std::nullopt;
    const int code = WEXITSTATUS(status);
    if (code == kStepSucceeded || code == kStepFailed)
        return code == kStepSucceeded;
    return std::nullopt;
}

bool SetImmutable(const std::string& path, bool immutable) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

} // namespace tarvolin::test
