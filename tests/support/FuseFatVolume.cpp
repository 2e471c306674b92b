#include "FuseFatVolume.h"

#include "ScratchMount.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace tarvolin::test {

FuseFatVolume::FuseFatVolume(const std::string& workDir, FuseFatServer server)
    : mountPoint_(workDir + "/fat") {
    EnterPrivateMountNamespace();
    const std::string image = workDir + "/fat.img";
    mkdir(mountPoint_.c_str(), 0755);
    const bool exfat = server == FuseFatServer::ExfatFuse;
    if (!steps_.Run("truncate -s 64M " + Quoted(image)) ||
        !steps_.Run((exfat ? "mkfs.exfat " : "mkfs.vfat -F 32 ") + Quoted(image)))
        return;
    if (exfat) {
        // exfat-fuse wants a block device.
        loopDevice_ = FirstLine("losetup -f --show " + Quoted(image) + " 2>/dev/null");
        mounted_ = !loopDevice_.empty() && steps_.Run("mount.exfat-fuse " + Quoted(loopDevice_) +
                                                      " " + Quoted(mountPoint_));
    } else {
        mounted_ = steps_.Run("fusefat -o rw+ " + Quoted(image) + " " + Quoted(mountPoint_));
    }
}

FuseFatVolume::~FuseFatVolume() {
    if (mounted_)
        steps_.Run("umount " + Quoted(mountPoint_));
    if (!loopDevice_.empty())
        steps_.Run("losetup -d " + Quoted(loopDevice_));
}

} // namespace tarvolin::test
