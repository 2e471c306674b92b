#pragma once

#include "ShellSteps.h"

#include <string>
#include <vector>

namespace tarvolin::test {

// A fresh ext4 image on a loop device, mounted at `workDir`/ext4 in the test's private mount
// namespace. It can come back on another loop device, as a disk does in another USB slot:
// the same file system under another device number. Needs root.
class Ext4LoopVolume {
public:
    Ext4LoopVolume(const std::string& workDir, int inodeSize);
    ~Ext4LoopVolume();
    Ext4LoopVolume(const Ext4LoopVolume&) = delete;
    Ext4LoopVolume& operator=(const Ext4LoopVolume&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& path() const { return mountPoint_; }
    std::string operator/(const std::string& name) const { return mountPoint_ + "/" + name; }
    const std::string& log() const { return steps_.log(); }

    // Unmounts, attaches the image to another loop device (the first one still holds it, so
    // the number differs) and mounts it from there.
    bool ComeBackOnAnotherDevice();

private:
    bool AttachAndMount();

    std::string image_;
    std::string mountPoint_;
    std::vector<std::string> loopDevices_;
    bool mounted_ = false;
    ShellSteps steps_;
};

} // namespace tarvolin::test
