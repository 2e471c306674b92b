#include "ScratchMount.h"

#include <sched.h>
#include <sys/mount.h>
#include <utility>

namespace tarvolin::test {

// "/" is made private so that mounts made here do not propagate back to the machine's own
// namespace.
void EnterPrivateMountNamespace() {
    static const bool entered = unshare(CLONE_NEWNS) == 0 &&
                                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    (void)entered;
}

ScratchMount::ScratchMount(std::string mountPoint, const std::string& type,
                           const std::string& options)
    : mountPoint_(std::move(mountPoint)) {
    EnterPrivateMountNamespace();
    mounted_ = mount("tarvolin-test", mountPoint_.c_str(), type.c_str(), 0,
                     options.empty() ? nullptr : options.c_str()) == 0;
}

ScratchMount::~ScratchMount() {
    if (mounted_)
        umount2(mountPoint_.c_str(), MNT_DETACH);
}

bool ScratchMount::RemountReadOnly() {
    return mount(nullptr, mountPoint_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

} // namespace tarvolin::test
