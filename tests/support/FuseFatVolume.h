#pragma once

// A FAT32 or exFAT image of the test's own, mounted through a FUSE server (fusefat, or
// exfat-fuse on a loop device), as volumes are where the kernel has no FAT driver. Unmounted
// and detached when the object goes. Needs root and /dev/fuse.

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
    const std::string& log() const { return log_; }

private:
    bool Run(const std::string& command);

    std::string mountPoint_;
    std::string loopDevice_;
    std::string log_;
    bool mounted_ = false;
};

} // namespace tarvolin::test
