#include "FuseFatVolume.h"

#include "ScratchMount.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace tarvolin::test {

namespace {

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// The first line a command printed.
std::string FirstLine(const std::string& command) {
    std::string line;
    if (FILE* out = popen(command.c_str(), "r")) {
        char buffer[256];
        if (fgets(buffer, sizeof buffer, out) != nullptr)
            line = buffer;
        pclose(out);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

} // namespace

FuseFatVolume::FuseFatVolume(const std::string& workDir, FuseFatServer server)
    : mountPoint_(workDir + "/fat") {
    EnterPrivateMountNamespace();
    const std::string image = workDir + "/fat.img";
    mkdir(mountPoint_.c_str(), 0755);
    const bool exfat = server == FuseFatServer::ExfatFuse;
    if (!Run("truncate -s 64M " + Quoted(image)) ||
        !Run((exfat ? "mkfs.exfat " : "mkfs.vfat -F 32 ") + Quoted(image)))
        return;
    if (exfat) {
        // exfat-fuse wants a block device.
        loopDevice_ = FirstLine("losetup -f --show " + Quoted(image) + " 2>/dev/null");
        mounted_ = !loopDevice_.empty() &&
                   Run("mount.exfat-fuse " + Quoted(loopDevice_) + " " + Quoted(mountPoint_));
    } else {
        mounted_ = Run("fusefat -o rw+ " + Quoted(image) + " " + Quoted(mountPoint_));
    }
}

FuseFatVolume::~FuseFatVolume() {
    if (mounted_)
        Run("umount " + Quoted(mountPoint_));
    if (!loopDevice_.empty())
        Run("losetup -d " + Quoted(loopDevice_));
}

bool FuseFatVolume::Run(const std::string& command) {
    const bool done = std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    if (!done)
        log_ += "failed: " + command + "\n";
    return done;
}

} // namespace tarvolin::test
