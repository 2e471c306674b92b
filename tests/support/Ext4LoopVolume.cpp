#include "Ext4LoopVolume.h"

#include "ScratchMount.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace tarvolin::test {

Ext4LoopVolume::Ext4LoopVolume(const std::string& workDir, int inodeSize)
    : image_(workDir + "/ext4.img"), mountPoint_(workDir + "/ext4") {
    EnterPrivateMountNamespace();
    mkdir(mountPoint_.c_str(), 0755);
    mounted_ = steps_.Run("truncate -s 32M " + Quoted(image_)) &&
               steps_.Run("mkfs.ext4 -q -I " + std::to_string(inodeSize) + " " + Quoted(image_)) &&
               AttachAndMount();
}

Ext4LoopVolume::~Ext4LoopVolume() {
    if (mounted_)
        steps_.Run("umount " + Quoted(mountPoint_));
    for (const std::string& device : loopDevices_)
        steps_.Run("losetup -d " + Quoted(device));
}

bool Ext4LoopVolume::ComeBackOnAnotherDevice() {
    mounted_ = !steps_.Run("umount " + Quoted(mountPoint_));
    return !mounted_ && AttachAndMount();
}

bool Ext4LoopVolume::AttachAndMount() {
    const std::string device = FirstLine("losetup -f --show " + Quoted(image_) + " 2>/dev/null");
    if (device.empty())
        return false;
    loopDevices_.push_back(device);
    mounted_ = steps_.Run("mount -t ext4 " + Quoted(device) + " " + Quoted(mountPoint_));
    return mounted_;
}

} // namespace tarvolin::test
