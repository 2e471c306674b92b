#pragma once

#include "TempDir.h"

#include <string>

namespace tarvolin::test {

// Moves the test process into a mount namespace of its own, once: mounts made after this die
// with the process and never show on the machine. Needs root.
void EnterPrivateMountNamespace();

// A small file system of its own (tmpfs, ramfs, ...) mounted at `mountPoint`, which must be
// an empty directory, and unmounted again when the object goes. The first mount moves the
// test process into a private mount namespace, so nothing leaks to the machine even if the
// test dies. Needs root; `mounted()` says whether it worked.
class ScratchMount {
public:
    ScratchMount(std::string mountPoint, const std::string& type, const std::string& options = "");
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& path() const { return mountPoint_; }
    std::string operator/(const std::string& name) const { return mountPoint_ + "/" + name; }

    // Turns the mount read-only in place: what was written stays readable.
    bool RemountReadOnly();

private:
    std::string mountPoint_;
    bool mounted_ = false;
};

namespace detail {
// Holds the mount point so that it is made before the mount and removed after it.
struct OwnMountPoint {
    TempDir mountPoint;
};
} // namespace detail

// A scratch file system on a fresh temporary directory of its own.
class ScratchVolume : private detail::OwnMountPoint, public ScratchMount {
public:
    explicit ScratchVolume(const std::string& type, const std::string& options = "")
        : ScratchMount(mountPoint.path(), type, options) {}
};

} // namespace tarvolin::test
