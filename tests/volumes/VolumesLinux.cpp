// The volumes the contract runs on under Linux: this machine's own disk (ext4 or tmpfs, with
// the DOS side in Samba's xattr), NTFS through ntfs-3g and lowntfs-3g, FAT and exFAT through
// their FUSE servers; in the virtual machine, the kernel's drivers named by TARVOLIN_VOLUMES.

#include "FileOps.h"
#include "FuseFatVolume.h"
#include "NtfsVolume.h"
#include "TempDir.h"
#include "VolumeUnderTest.h"

#include <cstdlib>
#include <fcntl.h>
#include <linux/fs.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin::test {
namespace {

// The FUSE FAT servers keep no extended attributes and hand out no attribute byte.
constexpr AttributeSet kFuseFatKeeps = 0;

// What each kind of volume is known to do; the suite checks the program against it.
VolumeKind KindNamed(const std::string& name, const std::string& mountPoint) {
    const bool fuseFat = name == "exfat-fuse" || name == "fusefat";
    const bool linuxOwn = name == "disk" || name == "ext4-small-inodes";
    const bool insensitive = fuseFat || name == "vfat" || name == "exfat" ||
                             name == "ntfs3-nocase" || name == "casefold-ext4" ||
                             name == "lowntfs-3g-ignore-case";
    const bool creation = name == "disk" || name == "ntfs-3g" || name == "lowntfs-3g-ignore-case" ||
                          name == "casefold-ext4" || name == "ext4-small-inodes";
    const bool fuse = fuseFat || name == "ntfs-3g" || name == "lowntfs-3g-ignore-case";
    return VolumeKind{.name = name,
                      .mountPoint = mountPoint,
                      .caseInsensitive = insensitive,
                      .readByWindows = !linuxOwn,
                      .creation = creation ? CreationTime::Kept : CreationTime::Refused,
                      .listsLowerCase = name == "lowntfs-3g-ignore-case",
                      .renamesWithoutFlags = fuse,
                      .looksUpOneByOne = fuse,
                      .holdsYear2100 = name != "ext4-small-inodes",
                      .accessDayOnly = name.find("fat") != std::string::npos,
                      .namesHoldAnyByte = linuxOwn,
                      .namesBeyondAscii = name != "fusefat",
                      .changesNonAsciiCase = !(insensitive && fuse),
                      .changesDirectoryCase = name != "fusefat",
                      .keptAttributes = fuseFat ? kFuseFatKeeps : kFourAttributes,
                      .alwaysShown = 0};
}

// A case-folding ext4 folds only below a directory flagged +F, which must still be empty.
bool FoldLetterCase(const std::string& directory) {
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    const bool done =
        fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
        (flags |= 0x40000000 /* FS_CASEFOLD_FL */, ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0)
        close(fd);
    return done;
}

} // namespace

std::vector<VolumeKind> VolumesToTest() {
    std::vector<VolumeKind> kinds;
    if (const char* named = std::getenv("TARVOLIN_VOLUMES")) {
        std::istringstream pairs(named);
        std::string pair;
        while (pairs >> pair) {
            const auto equals = pair.find('=');
            kinds.push_back(KindNamed(pair.substr(0, equals), pair.substr(equals + 1)));
        }
        return kinds;
    }
    for (const char* name : {"disk", "ntfs-3g", "lowntfs-3g-ignore-case", "exfat-fuse", "fusefat"})
        kinds.push_back(KindNamed(name, ""));
    return kinds;
}

struct Place::Volume {
    TempDir temp;
    std::unique_ptr<NtfsVolume> ntfs;
    std::unique_ptr<FuseFatVolume> fat;
};

Place::Place(const VolumeKind& kind) {
    if (!kind.mountPoint.empty()) {
        static int counter = 0;
        path_ = kind.mountPoint + "/case-" + std::to_string(++counter);
        ok_ = mkdir(path_.c_str(), 0755) == 0 &&
              (kind.name != "casefold-ext4" || FoldLetterCase(path_));
        return;
    }
    volume_ = std::make_unique<Volume>();
    if (kind.name == "disk") {
        path_ = volume_->temp.path();
        ok_ = true;
        return;
    }
    if (kind.name == "exfat-fuse" || kind.name == "fusefat") {
        volume_->fat = std::make_unique<FuseFatVolume>(
            volume_->temp.path(),
            kind.name == "fusefat" ? FuseFatServer::Fusefat : FuseFatServer::ExfatFuse);
        ok_ = volume_->fat->mounted();
        why_ = volume_->fat->log();
        path_ = volume_->fat->path();
        return;
    }
    why_ = WhyNtfsCannotBeMounted();
    skip_ = !why_.empty();
    if (skip_)
        return;
    volume_->ntfs = std::make_unique<NtfsVolume>(
        volume_->temp.path(),
        kind.name == "ntfs-3g" ? NtfsDriver::Ntfs3g : NtfsDriver::LowNtfs3gIgnoreCase);
    ok_ = volume_->ntfs->mounted();
    why_ = volume_->ntfs->log();
    path_ = volume_->ntfs->path();
}

Place::~Place() {
    if (!path_.empty() && volume_ == nullptr)
        RemoveTree(path_);
}

std::string Place::operator/(const std::string& name) const {
    return path_ + "/" + name;
}

std::vector<std::string> Place::Names() const {
    return ListDir(path_);
}

} // namespace tarvolin::test
