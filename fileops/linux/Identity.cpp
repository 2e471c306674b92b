// Which file a path names, and what it shows, for undo to recognise it later: the volume by
// its own identity as well as its device number, which a volume may change between mounts
// (another loop device, another USB slot, any FUSE mount).

#include "Identity.h"

#include "FileAccess.h"

#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#ifndef STATX_MNT_ID_UNIQUE
#define STATX_MNT_ID_UNIQUE 0x00004000U
#endif
#ifndef EXFAT_SUPER_MAGIC
#define EXFAT_SUPER_MAGIC 0x2011BAB0
#endif

namespace tarvolin {

namespace {

// FAT and exFAT number their files by where the entry lies, FUSE by the order the mount met
// them: either way the numbers last only while the volume stays mounted.
// The kernel's encoding of a device number, which xfs, FAT and exFAT hand out as their f_fsid:
// such a volume has no identity of its own beyond the device it is on.
unsigned long long EncodedDevice(dev_t device) {
    const unsigned long long major = ::major(device), minor = ::minor(device);
    return (minor & 0xff) | (major << 8) | ((minor & ~0xffULL) << 12);
}

std::optional<VolumeFacts> AskVolume(int folderFd, const char* name, dev_t device) {
    struct statfs volume {};
    const int fd = openat(folderFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    const bool answered = fd >= 0 && fstatfs(fd, &volume) == 0;
    if (fd >= 0)
        close(fd);
    if (!answered)
        return std::nullopt;
    int halves[2] = {};
    static_assert(sizeof volume.f_fsid == sizeof halves);
    std::memcpy(halves, &volume.f_fsid, sizeof halves);
    const unsigned long long id =
        static_cast<unsigned>(halves[0]) |
        (static_cast<unsigned long long>(static_cast<unsigned>(halves[1])) << 32);
    const auto type = static_cast<unsigned long>(volume.f_type);
    const bool numbersLast =
        type != MSDOS_SUPER_MAGIC && type != EXFAT_SUPER_MAGIC && type != FUSE_SUPER_MAGIC;
    return VolumeFacts{id == EncodedDevice(device) ? 0 : id, numbersLast};
}

ExactTime Exact(const statx_timestamp& time) {
    return ExactTime{time.tv_sec, time.tv_nsec};
}

} // namespace

// One statfs per mount, kept by the mount's unique id, which is never given to another
// mount; without one (kernels before 6.8) every file asks.
VolumeFacts FileStamps::VolumeOf(int folderFd, const char* name, const struct statx& st) {
    const dev_t device = makedev(st.stx_dev_major, st.stx_dev_minor);
    if ((st.stx_mask & STATX_MNT_ID_UNIQUE) == 0)
        return AskVolume(folderFd, name, device).value_or(VolumeFacts{});
    const std::lock_guard lock(guard_);
    const auto known = factsByMount_.find(st.stx_mnt_id);
    if (known != factsByMount_.end())
        return known->second;
    const std::optional<VolumeFacts> facts = AskVolume(folderFd, name, device);
    if (facts)
        factsByMount_.emplace(st.stx_mnt_id, *facts);
    return facts.value_or(VolumeFacts{});
}

std::optional<FileStamp> FileStamps::StampAt(int folderFd, const char* name) {
    constexpr unsigned kWanted = STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID_UNIQUE;
    struct statx st {};
    if (statx(folderFd, name, AT_SYMLINK_NOFOLLOW, kWanted, &st) != 0)
        return std::nullopt;
    return StampOfEntry(folderFd, name, st);
}

FileStamp FileStamps::StampOfEntry(int folderFd, const char* name, const struct statx& st) {
    const VolumeFacts volume = VolumeOf(folderFd, name, st);
    FileStamp stamp;
    stamp.identity = FileIdentity{makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino,
                                  volume.id, volume.numbersLast};
    stamp.fingerprint.size = st.stx_size;
    stamp.fingerprint.modify = Exact(st.stx_mtime);
    stamp.fingerprint.change = Exact(st.stx_ctime);
    if ((st.stx_mask & STATX_BTIME) != 0)
        stamp.fingerprint.birth = Exact(st.stx_btime);
    return stamp;
}

std::optional<FileStamp> FileStamps::StampOf(const std::string& path) {
    return StampAt(AT_FDCWD, path.c_str());
}

// A run lists thousands of files of one folder: each is looked up from the folder's handle,
// which spares walking the whole path again for every file.
std::vector<std::optional<FileStamp>> FileStamps::StampsOf(std::span<const std::string> paths) {
    std::vector<std::optional<FileStamp>> stamps;
    stamps.reserve(paths.size());
    std::string folder;
    int folderFd = -1;
    for (const std::string& path : paths) {
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos || slash + 1 == path.size()) {
            stamps.push_back(StampOf(path));
            continue;
        }
        const std::string_view parent(path.data(), slash == 0 ? 1 : slash);
        if (folderFd < 0 || parent != folder) {
            if (folderFd >= 0)
                close(folderFd);
            folder = std::string(parent);
            folderFd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
        stamps.push_back(folderFd >= 0 ? StampAt(folderFd, path.c_str() + slash + 1)
                                       : StampOf(path));
    }
    if (folderFd >= 0)
        close(folderFd);
    return stamps;
}

// What a crash leaves of a reservation (Moves.h) is an empty file the program made;
// recovery removes it only while it still is one, so nothing with content is ever lost.

namespace {

// FAT keeps its times in two-second steps, rounded down; every other volume is finer.
constexpr long long kCoarsestTimeStep = 2;

std::optional<struct statx> EntryAt(const std::string& path) {
    struct statx st {};
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st) !=
        0)
        return std::nullopt;
    return st;
}

// Birth time where the volume has one; else the last status change, which the exclusive
// create set and which only grows later.
long long MadeAt(const struct statx& st) {
    return (st.stx_mask & STATX_BTIME) != 0 ? st.stx_btime.tv_sec : st.stx_ctime.tv_sec;
}

bool IsEmptyFileMadeSince(const struct statx& st, long long notBefore) {
    return S_ISREG(st.stx_mode) && st.stx_size == 0 && MadeAt(st) + kCoarsestTimeStep >= notBefore;
}

} // namespace

bool RemoveIfEmptyFileMadeSince(const std::string& path, long long notBefore) {
    const std::optional<struct statx> found = EntryAt(path);
    return found && IsEmptyFileMadeSince(*found, notBefore) && unlink(path.c_str()) == 0;
}

} // namespace tarvolin
