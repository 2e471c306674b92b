#include "Ext4LoopVolume.h"

#include "ScratchMount.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace tarvolin::test {

namespace {

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

std::string FirstLine(const std::string& command) {
    std::string line;
    if (FILE* out = popen(command.c_str(), "r")) {
        char buffer[256];
        if (fgets(buffer, sizeof buffer, out) != nullptr)
            line = buffer;
        pclose(out);
    }
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    return line;
}

} // namespace

Ext4LoopVolume::Ext4LoopVolume(const std::string& workDir, int inodeSize)
    : image_(workDir + "/ext4.img"), mountPoint_(workDir + "/ext4") {
    EnterPrivateMountNamespace();
    mkdir(mountPoint_.c_str(), 0755);
    mounted_ = Run("truncate -s 32M " + Quoted(image_)) &&
               Run("mkfs.ext4 -q -I " + std::to_string(inodeSize) + " " + Quoted(image_)) &&
               AttachAndMount();
}

Ext4LoopVolume::~Ext4LoopVolume() {
    if (mounted_)
        Run("umount " + Quoted(mountPoint_));
    for (const std::string& device : loopDevices_)
        Run("losetup -d " + Quoted(device));
}

bool Ext4LoopVolume::ComeBackOnAnotherDevice() {
    mounted_ = !Run("umount " + Quoted(mountPoint_));
    return !mounted_ && AttachAndMount();
}

bool Ext4LoopVolume::AttachAndMount() {
    const std::string device = FirstLine("losetup -f --show " + Quoted(image_) + " 2>/dev/null");
    if (device.empty())
        return false;
    loopDevices_.push_back(device);
    mounted_ = Run("mount -t ext4 " + Quoted(device) + " " + Quoted(mountPoint_));
    return mounted_;
}

bool Ext4LoopVolume::Run(const std::string& command) {
    const bool done = std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    if (!done)
        log_ += "failed: " + command + "\n";
    return done;
}

} // namespace tarvolin::test
