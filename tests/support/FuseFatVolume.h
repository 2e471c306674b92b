#pragma once

// A FAT32 or exFAT image of the test's own, mounted through a FUSE server (fusefat, or
// exfat-fuse on a loop device), as volumes are where the kernel has no FAT driver. Unmounted
// and detached when the object goes. Needs root and /dev/fuse.

#include "ShellSteps.h"

#include <string>

namespace tarvolin::test {

enum class FuseFatServer { ExfatFuse, Fusefat };

class FuseFatVolume {
public:
    FuseFatVolume(const std::string& workDir, FuseFatServer server);
    ~FuseFatVolume();
    FuseFatVolume(const FuseFatVolume&) = delete;
    FuseFatVolume& operator=(const FuseFatVolume&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& path() const { return mountPoint_; }
    const std::string& log() const { return steps_.log(); }

private:
    std::string mountPoint_;
    std::string loopDevice_;
    ShellSteps steps_;
    bool mounted_ = false;
};

} // namespace tarvolin::test
